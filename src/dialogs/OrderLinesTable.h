#pragma once

#include "convert/ConvertedOrder.h"

#include <QAbstractTableModel>

#include <memory>

class QTreeView;

// The lines of a converted order in the preview's columns (line, article, quantity as sent, and
// for converted metre lines the metres and pipe length). Cells are made as the view asks for
// them, so an order of a hundred thousand lines opens at once.
class OrderLinesModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    OrderLinesModel(std::shared_ptr<const convert::ConvertedOrder> order, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::shared_ptr<const convert::ConvertedOrder> m_order;
};

// Shows the order's lines in table (a layout's "table" row), the columns wide enough for their
// usual content in the table's font. The model belongs to the table.
void showOrderLines(QTreeView* table, std::shared_ptr<const convert::ConvertedOrder> order);
