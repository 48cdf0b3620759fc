#include "dialogs/TRANSFER_TABS_DEL.h"

#include "ui/ControlSet.h"

namespace {

// The radio group of the separator; its buttons' values stand for the separator itself, except
// TAB (the tab character) and ANDER (the character in SLE_TEKEN).
const QString kSeparatorGroup = QStringLiteral("TEKEN");
// Whole strings rather than literals: GCC 12 at -O2 warns falsely (-Wrestrict) on assigning
// short literals to a std::string.
const std::string kTab = "TAB";
const std::string kOther = "ANDER";
const std::string kTabCharacter = "\t";

} // namespace

TRANSFER_TABS_DEL::TRANSFER_TABS_DEL(QWidget* parent)
    : SettingsPage(s_form.layoutName(), parent)
{
    bind(m_controls);
    for (QRadioButton* button : ui::builtControls<QRadioButton>(this, layout().radioGroup(kSeparatorGroup))) {
        connect(button, &QRadioButton::clicked, this, [this, button] { BUTTONCLICK(button); });
    }
}

void TRANSFER_TABS_DEL::fill(const config::Settings& settings)
{
    SettingsPage::fill(settings);
    const std::string& separator = settings.CSV_char;
    m_controls.SLE_TEKEN->setEnabled(false);
    if (separator == kTabCharacter) {
        pressValue(kSeparatorGroup, QString::fromStdString(kTab));
    } else if (separator != "," && separator != ";") {
        // Anything else is a character of the user's own, the empty separator of a new
        // installation included (and a separator that happens to read "TAB").
        pressValue(kSeparatorGroup, QString::fromStdString(kOther));
        m_controls.SLE_TEKEN->setText(QString::fromStdString(separator));
        m_controls.SLE_TEKEN->setEnabled(true);
    }
}

void TRANSFER_TABS_DEL::store(config::ConfigValues& values) const
{
    SettingsPage::store(values);
    std::string& separator = values["CSV_char"];
    if (separator == kOther) {
        separator = m_controls.SLE_TEKEN->text().toStdString();
    } else if (separator == kTab) {
        separator = kTabCharacter;
    }
}

void TRANSFER_TABS_DEL::BUTTONCLICK(QRadioButton* button)
{
    if (button == m_controls.RBT_ANDER) {
        m_controls.SLE_TEKEN->setEnabled(true);
    } else {
        m_controls.SLE_TEKEN->clear();
        m_controls.SLE_TEKEN->setEnabled(false);
    }
}
