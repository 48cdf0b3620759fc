#include "dialogs/TRANSFER_TABS_ICM.h"

#include "transfer/CEmail.h"
#include "transfer/MYSMTP.h"
#include "ui/BusyPointer.h"
#include "ui/ControlSet.h"
#include "ui/DialogBuilder.h"

#include <QThread>

namespace {

// The display is sized for a dotted IPv4 address and shows this shape while nothing is known.
const QString kNoAddress = QStringLiteral("000.000.000.000");
const QColor kReachedColour(0, 128, 64);

} // namespace

TRANSFER_TABS_ICM::TRANSFER_TABS_ICM(platform::Messages& messages, QWidget* parent)
    : SettingsPage(s_form.layoutName(), parent)
    , m_messages(messages)
{
    bind(m_controls);
    // clicked, not toggled: only the user's clicks run the rule, never the filling.
    for (QRadioButton* button : { m_controls.RBT_ICM_KONE, m_controls.RBT_ICM_MAIL }) {
        connect(button, &QRadioButton::clicked, this, [this, button] { BUTTONCLICK(button); });
    }
    connect(m_controls.PB_TEST, &QPushButton::clicked, this, &TRANSFER_TABS_ICM::PB_TEST);
}

void TRANSFER_TABS_ICM::fill(const config::Settings& settings)
{
    SettingsPage::fill(settings);
    enableMail(m_controls.RBT_ICM_MAIL->isChecked());
}

void TRANSFER_TABS_ICM::BUTTONCLICK(QRadioButton* button)
{
    if (button == m_controls.RBT_ICM_KONE) {
        enableMail(false);
    } else if (button == m_controls.RBT_ICM_MAIL) {
        enableMail(true);
    }
}

void TRANSFER_TABS_ICM::enableMail(bool enabled)
{
    // Everything named in the "E-mail" box: the sender, the server, its test and the address.
    for (QWidget* control : ui::builtControls<QWidget>(this, layout().rowsInside(QStringLiteral("ID_108")))) {
        control->setEnabled(enabled);
    }
}

void TRANSFER_TABS_ICM::showAddress(const QString& address, const QColor& colour)
{
    QPalette palette = m_controls.TXT_IP->palette();
    palette.setColor(QPalette::WindowText, colour);
    m_controls.TXT_IP->setPalette(palette);
    ui::setCaption(m_controls.TXT_IP, address);
    // The test holds the GUI thread; only a paint now lets the user see the result before the box.
    repaint();
}

void TRANSFER_TABS_ICM::PB_TEST()
{
    ui::BusyPointer busy;
    const transfer::CEmail message;
    transfer::MYSMTP client(&message);
    client.setRemoteHost(m_controls.SLE_REMOTE->text().toStdString());
    if (client.connect()) {
        const std::string greeting = client.reply();
        showAddress(QString::fromStdString(client.remoteAddress()), kReachedColour);
        // The server is not kept waiting on the user reading the box; all it had to say is read.
        client.disconnect();
        QThread::msleep(500);
        busy.release();
        m_messages.message(greeting, "Remote server", platform::MessageIcon::Information);
    } else {
        showAddress(kNoAddress, Qt::red);
        busy.release();
        m_messages.error("Verbinding mislukt");
    }
    showAddress(kNoAddress, Qt::black);
}
