#pragma once

#include "commands/SentOrderLog.h"
#include "platform/Messages.h"
#include "ui/ControlSet.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include <string>
#include <vector>

// "Verzonden orders": the log of sent orders, newest first. Choosing an order shows its lines as
// they were posted and what the user was told; its reply opens in the browser.
class SentOrdersDialog : public QDialog
{
    Q_OBJECT

public:
    SentOrdersDialog(QWidget* owner, const std::string& workFolder, platform::Messages& messages);

private:
    void fillOrders();
    void showOrder();
    void openReply();
    const commands::SentOrder* currentOrder() const;

    struct Controls : ui::ControlSet
    {
        UI_CONTROL(QTreeWidget, LISTVIEW_ORDERS);
        UI_CONTROL(QTreeWidget, LISTVIEW_REGELS);
        UI_CONTROL(QLabel, TXT_MELDING);
        UI_CONTROL(QPushButton, PBT_ANTWOORD);
        UI_CONTROL(QPushButton, PBT_SLUITEN);
    };
    static inline const ui::Form<Controls> s_form { "VERZONDEN" };

    platform::Messages& m_messages;
    std::vector<commands::SentOrder> m_orders;
    Controls m_controls;
};
