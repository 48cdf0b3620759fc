#include "dialogs/TRANSFER_TABS_SCH.h"

#include "lengths/LengthsUpdate.h"
#include "ui/BusyPointer.h"
#include "ui/DialogBuilder.h"

#include <QButtonGroup>

namespace {

// Presses one button of an exclusive group, or with null releases them all, which an exclusive
// group would refuse.
void pressOnly(QRadioButton* pressed, std::initializer_list<QRadioButton*> group)
{
    for (QRadioButton* button : group) {
        QButtonGroup* buttons = button->group();
        if (buttons != nullptr) {
            buttons->setExclusive(false);
        }
        button->setChecked(button == pressed);
        if (buttons != nullptr) {
            buttons->setExclusive(true);
        }
    }
}

} // namespace

TRANSFER_TABS_SCH::TRANSFER_TABS_SCH(std::string programFolder, std::string updateHost, const platform::Clock& clock,
    platform::Messages& messages, QWidget* parent)
    : SettingsPage(s_form.layoutName(), parent)
    , m_programFolder(std::move(programFolder))
    , m_updateHost(std::move(updateHost))
    , m_clock(clock)
    , m_messages(messages)
{
    bind(m_controls);
    // clicked, not toggled: only the user's clicks run the rules, never the filling.
    for (QRadioButton* button : findChildren<QRadioButton*>()) {
        connect(button, &QRadioButton::clicked, this, [this, button] { BUTTONCLICK(button); });
    }
    connect(m_controls.PBT_REFRESH, &QPushButton::clicked, this, &TRANSFER_TABS_SCH::PBT_REFRESH);
    lengths::LengthsUpdate::showRestingState(m_programFolder, *this);
}

std::array<TRANSFER_TABS_SCH::SchemaButton, 6> TRANSFER_TABS_SCH::schemaButtons() const
{
    return { { { "SDF", m_controls.RBT_SDF }, { "CSV", m_controls.RBT_DEL }, { "XML", m_controls.RBT_XML },
        { "ICM", m_controls.RBT_ICM }, { "MER", m_controls.RBT_MER }, { "MC1000", m_controls.RBT_MC1000 } } };
}

void TRANSFER_TABS_SCH::fill(const config::Settings& settings)
{
    SettingsPage::fill(settings);
    QRadioButton* schema = nullptr;
    for (const SchemaButton& entry : schemaButtons()) {
        if (settings.Schema == entry.code) {
            schema = entry.button;
        }
    }
    pressOnly(schema,
        { m_controls.RBT_SDF, m_controls.RBT_DEL, m_controls.RBT_XML, m_controls.RBT_ICM, m_controls.RBT_MER,
            m_controls.RBT_MC1000 });
    // The header record only exists in the two text formats; MC1000 keeps the box but not its use.
    m_controls.CBX_KOP->setEnabled(schema == nullptr || schema == m_controls.RBT_SDF || schema == m_controls.RBT_DEL);
    m_controls.RBT_BEL->setEnabled(true);
    m_controls.RBT_NED->setEnabled(true);
    (settings.Filiaal == "BEL" ? m_controls.RBT_BEL : m_controls.RBT_NED)->setChecked(true);
    (settings.Webpagina == "YES" ? m_controls.RBT_YES : m_controls.RBT_NO)->setChecked(true);
    (settings.Besteleenheid == "STK" ? m_controls.RBT_STK : m_controls.RBT_MTR)->setChecked(true);
}

void TRANSFER_TABS_SCH::store(config::ConfigValues& values) const
{
    SettingsPage::store(values);
    values["Schema"] = "";
    for (const SchemaButton& entry : schemaButtons()) {
        if (entry.button->isChecked()) {
            values["Schema"] = entry.code;
            break;
        }
    }
    // Assigned as strings, not pointers to literals: GCC 12 at -O2 warns of a bogus overlap there.
    values["Filiaal"] = std::string(m_controls.RBT_BEL->isChecked() ? "BEL" : "NED");
    values["Webpagina"] = std::string(m_controls.RBT_YES->isChecked() ? "YES" : "NO");
    values["Besteleenheid"] = std::string(m_controls.RBT_STK->isChecked() ? "STK" : "MTR");
}

void TRANSFER_TABS_SCH::BUTTONCLICK(QAbstractButton* button)
{
    const Controls& c = m_controls;
    if (button == c.RBT_ICM || button == c.RBT_MER || button == c.RBT_XML) {
        c.CBX_KOP->setChecked(false);
        c.CBX_KOP->setEnabled(false);
    } else if (button == c.RBT_SDF || button == c.RBT_DEL) {
        c.CBX_KOP->setEnabled(true);
    } else if (button == c.RBT_NED) {
        c.RBT_MTR->setChecked(true);
    } else if (button == c.RBT_STK && c.RBT_NED->isChecked()) {
        m_messages.message("Voor Nederland is de besteleenheid bij lengten enkel per meter.", "Besteleenheid",
            platform::MessageIcon::Information);
        c.RBT_MTR->setChecked(true);
    }
}

bool TRANSFER_TABS_SCH::PBT_REFRESH()
{
    ui::BusyPointer busy;
    // A fresh run every time: a table held by another copy of the program fails this run only.
    lengths::LengthsUpdate update(m_programFolder, m_updateHost, m_clock, m_messages, *this, m_extraCaFile);
    return !update.run();
}

void TRANSFER_TABS_SCH::clearPipeline()
{
    for (QLabel* icon : { m_controls.ICO_PR1, m_controls.ICO_PR2, m_controls.ICO_PR3, m_controls.ICO_PR4,
             m_controls.ICO_PRF1, m_controls.ICO_PRF2, m_controls.ICO_PRF3, m_controls.ICO_PRF4, m_controls.ICO_PRW }) {
        icon->hide();
    }
    m_controls.ICO_PRB->show();
    m_controls.ICO_PRE->show();
    // The update holds the GUI thread through its pauses; only a paint now lets the user see each step.
    repaint();
}

void TRANSFER_TABS_SCH::setStatus(const std::string& text)
{
    ui::setCaption(m_controls.TXT_PROCES, QString::fromStdString(text));
    repaint();
}

void TRANSFER_TABS_SCH::markStep(int step, bool intact)
{
    const std::array<QLabel*, 4> intactIcons { m_controls.ICO_PR1, m_controls.ICO_PR2, m_controls.ICO_PR3,
        m_controls.ICO_PR4 };
    const std::array<QLabel*, 4> brokenIcons { m_controls.ICO_PRF1, m_controls.ICO_PRF2, m_controls.ICO_PRF3,
        m_controls.ICO_PRF4 };
    if (step < 1 || step > 4) {
        return;
    }
    intactIcons[step - 1]->setVisible(intact);
    brokenIcons[step - 1]->setVisible(!intact);
    repaint();
}

void TRANSFER_TABS_SCH::showEnd(bool withSign)
{
    // The signed end piece lies over the plain one, which stays beneath it.
    m_controls.ICO_PRE->show();
    m_controls.ICO_PRW->setVisible(withSign);
    repaint();
}
