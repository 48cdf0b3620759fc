#include "dialogs/TRANSFER_TABS_DEL.h"

TRANSFER_TABS_DEL::TRANSFER_TABS_DEL(QWidget* parent)
    : SettingsPage(s_form.layoutName(), parent)
{
    bind(m_controls);
    for (QRadioButton* button :
        { m_controls.RBT_KOMMA, m_controls.RBT_PUNTKOMMA, m_controls.RBT_TAB, m_controls.RBT_ANDER }) {
        connect(button, &QRadioButton::clicked, this, [this, button] { BUTTONCLICK(button); });
    }
}

void TRANSFER_TABS_DEL::fill(const config::Settings& settings)
{
    SettingsPage::fill(settings);
    const std::string& separator = settings.CSV_char;
    m_controls.SLE_TEKEN->setEnabled(false);
    if (separator == ",") {
        m_controls.RBT_KOMMA->setChecked(true);
    } else if (separator == ";") {
        m_controls.RBT_PUNTKOMMA->setChecked(true);
    } else if (separator == "\t") {
        m_controls.RBT_TAB->setChecked(true);
    } else {
        // Anything else is a character of the user's own, the empty separator of a new
        // installation included.
        m_controls.RBT_ANDER->setChecked(true);
        m_controls.SLE_TEKEN->setText(QString::fromStdString(separator));
        m_controls.SLE_TEKEN->setEnabled(true);
    }
}

void TRANSFER_TABS_DEL::store(config::ConfigValues& values) const
{
    SettingsPage::store(values);
    std::string separator;
    if (m_controls.RBT_ANDER->isChecked()) {
        separator = m_controls.SLE_TEKEN->text().toStdString();
    } else if (m_controls.RBT_PUNTKOMMA->isChecked()) {
        separator = ";";
    } else if (m_controls.RBT_KOMMA->isChecked()) {
        separator = ",";
    } else if (m_controls.RBT_TAB->isChecked()) {
        separator = "\t";
    }
    values["CSV_char"] = separator;
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
