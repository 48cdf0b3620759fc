#include "dialogs/OrderLinesTable.h"

#include "ui/DialogBuilder.h"

#include <QHeaderView>
#include <QTreeView>

#include <iterator>

namespace {

constexpr int kColumns = static_cast<int>(std::size(convert::kPreviewColumns));
// Characters of the dialog's average letter per column: a line number, an article, three numbers.
constexpr int kColumnCharacters[kColumns] = { 6, 16, 8, 8, 10 };

} // namespace

OrderLinesModel::OrderLinesModel(std::shared_ptr<const convert::ConvertedOrder> order, QObject* parent)
    : QAbstractTableModel(parent)
    , m_order(std::move(order))
{
}

int OrderLinesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_order ? 0 : static_cast<int>(m_order->order.lines.size());
}

int OrderLinesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant OrderLinesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return QString::fromStdString(convert::previewCell(
            *m_order, static_cast<std::size_t>(index.row()), static_cast<std::size_t>(index.column())));
    }
    // Numbers line up on their last digit; the article reads from the left.
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignVCenter | (index.column() == 1 ? Qt::AlignLeft : Qt::AlignRight));
    }
    return {};
}

QVariant OrderLinesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns) {
        return {};
    }
    return QString::fromLatin1(convert::kPreviewColumns[section]);
}

void showOrderLines(QTreeView* table, std::shared_ptr<const convert::ConvertedOrder> order)
{
    QAbstractItemModel* old = table->model();
    table->setModel(new OrderLinesModel(std::move(order), table));
    if (old != nullptr && old->parent() == table) {
        old->deleteLater();
    }
    table->header()->setStretchLastSection(false);
    table->header()->setSectionsMovable(false);
    const int character = ui::baseUnits(table->font()).x;
    for (int column = 0; column < kColumns; ++column) {
        table->setColumnWidth(column, kColumnCharacters[column] * character + 8);
    }
    if (table->model()->rowCount() > 0) {
        table->setCurrentIndex(table->model()->index(0, 0));
    }
}
