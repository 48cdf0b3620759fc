#pragma once

#include "convert/ConvertedOrder.h"
#include "ui/ControlSet.h"

#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>

#include <memory>
#include <string>

// "Order bekijken": a converted order as it would be sent (header, lines, remarks), read-only.
// Each part is a list the keyboard and a screen reader go through row by row.
class OrderPreviewDialog : public QDialog
{
    Q_OBJECT

public:
    // webshop: "BE" or "NL", where the post would go.
    OrderPreviewDialog(
        QWidget* owner, std::shared_ptr<const convert::ConvertedOrder> order, const std::string& webshop);

private:
    struct Controls : ui::ControlSet
    {
        UI_CONTROL(QListWidget, LBX_KOP);
        UI_CONTROL(QTreeView, LISTVIEW_REGELS);
        UI_CONTROL(QListWidget, LBX_OPMERKINGEN);
        UI_CONTROL(QPushButton, PBT_SLUITEN);
    };
    static inline const ui::Form<Controls> s_form { "ORDERPREVIEW" };
    Controls m_controls;
};
