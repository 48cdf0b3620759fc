#pragma once

#include "dialogs/SettingsPage.h"
#include "platform/Messages.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

// The "ICM" page: whether ICM files go out by e-mail or through the webshop, the sender of that
// e-mail and its SMTP server, with a test of the server as typed.
class TRANSFER_TABS_ICM : public SettingsPage
{
    Q_OBJECT

public:
    explicit TRANSFER_TABS_ICM(platform::Messages& messages, QWidget* parent = nullptr);

    void fill(const config::Settings& settings) override;

    // Connects to the server in the "SMTP server" edit and shows its address and greeting, or
    // that it could not be reached. Sends nothing and changes no setting.
    void PB_TEST();

private:
    struct Controls : ui::ControlSet
    {
        UI_CONTROL(QRadioButton, RBT_ICM_KONE);
        UI_CONTROL(QRadioButton, RBT_ICM_MAIL);
        UI_CONTROL(QLineEdit, SLE_REMOTE);
        UI_CONTROL(QPushButton, PB_TEST);
        UI_CONTROL(QLabel, TXT_IP);
    };
    static inline const ui::Form<Controls> s_form { "TRANSFER_TABS_ICM" };

    void BUTTONCLICK(QRadioButton* button);
    void enableMail(bool enabled);
    void showAddress(const QString& address, const QColor& colour);

    platform::Messages& m_messages;
    Controls m_controls;
};
