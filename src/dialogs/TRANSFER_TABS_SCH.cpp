#include "dialogs/TRANSFER_TABS_SCH.h"

#include "lengths/LengthsUpdate.h"
#include "ui/BusyPointer.h"
#include "ui/ControlSet.h"
#include "ui/DialogBuilder.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace {

// The schemas without a header record; MC1000 keeps the box but not its use.
const std::string_view kWithoutHeader[] = { "XML", "ICM", "MER", "MC1000" };

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
    m_intactSteps = ui::builtControls<QLabel>(this, layout().numbered(QStringLiteral("ICO_PR"), 4));
    m_brokenSteps = ui::builtControls<QLabel>(this, layout().numbered(QStringLiteral("ICO_PRF"), 4));
    // clicked, not toggled: only the user's clicks run the rules, never the filling.
    for (QRadioButton* button : findChildren<QRadioButton*>()) {
        connect(button, &QRadioButton::clicked, this, [this, button] { BUTTONCLICK(button); });
    }
    connect(m_controls.PBT_REFRESH, &QPushButton::clicked, this, &TRANSFER_TABS_SCH::PBT_REFRESH);
    lengths::LengthsUpdate::showRestingState(m_programFolder, *this);
}

void TRANSFER_TABS_SCH::fill(const config::Settings& settings)
{
    SettingsPage::fill(settings);
    m_controls.CBX_KOP->setEnabled(
        std::find(std::begin(kWithoutHeader), std::end(kWithoutHeader), settings.Schema) == std::end(kWithoutHeader));
    m_controls.RBT_BEL->setEnabled(true);
    m_controls.RBT_NED->setEnabled(true);
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
    for (QLabel* icon : m_intactSteps + m_brokenSteps + QList<QLabel*> { m_controls.ICO_PRW }) {
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
    if (step < 1 || step > m_intactSteps.size()) {
        return;
    }
    m_intactSteps[step - 1]->setVisible(intact);
    m_brokenSteps[step - 1]->setVisible(!intact);
    repaint();
}

void TRANSFER_TABS_SCH::showEnd(bool withSign)
{
    // The signed end piece lies over the plain one, which stays beneath it.
    m_controls.ICO_PRE->show();
    m_controls.ICO_PRW->setVisible(withSign);
    repaint();
}
