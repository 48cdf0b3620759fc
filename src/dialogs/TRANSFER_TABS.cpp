#include "dialogs/TRANSFER_TABS.h"

#include "config/ConfigValues.h"
#include "dialogs/SettingsPage.h"
#include "dialogs/TRANSFER_TABS_DEL.h"
#include "dialogs/TRANSFER_TABS_ICM.h"
#include "dialogs/TRANSFER_TABS_MAP.h"
#include "dialogs/TRANSFER_TABS_MC1000.h"
#include "dialogs/TRANSFER_TABS_SCH.h"
#include "dialogs/TRANSFER_TABS_XML.h"
#include "ui/DialogBuilder.h"

TRANSFER_TABS::TRANSFER_TABS(QWidget* owner, const Context& context)
    : QDialog(owner)
    , m_context(context)
    , m_writer(platform::replaceFile)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    s_form.build(this, m_controls);
    appendPages();
    m_controls.TABCONTROL1->setCurrentIndex(0);
    for (SettingsPage* page : m_pages) {
        page->fill(m_context.settings);
    }
    connect(m_controls.PBT_OPSLAAN, &QPushButton::clicked, this, &TRANSFER_TABS::PBT_OPSLAAN);
}

void TRANSFER_TABS::appendPages()
{
    auto* schema = new TRANSFER_TABS_SCH(
        m_context.programFolder, m_context.lengthsUpdateHost, m_context.clock, m_context.messages);
    schema->setExtraCaFile(m_context.tlsCaFile);
    auto* separator = new TRANSFER_TABS_DEL;
    auto* scanner = new TRANSFER_TABS_MC1000;
    auto* folders = new TRANSFER_TABS_MAP;
    auto* icm = new TRANSFER_TABS_ICM(m_context.messages);
    auto* xml = new TRANSFER_TABS_XML(m_context.clock, m_context.messages);

    struct Tab
    {
        const char* caption;
        SettingsPage* widget;
    };
    // clang-format off
    const Tab tabs[] = {
        { "Schema",    schema },
        { "CSV - SDF", separator },
        { "ICM",       icm },
        { "XML",       xml },
        { "MC1000",    scanner },
        { "Mappen",    folders },
    };
    // clang-format on
    for (const Tab& tab : tabs) {
        ui::addPage(m_controls.TABCONTROL1, tab.widget, QString::fromUtf8(tab.caption));
    }
    // The Mappen page first, then the rest in tab order.
    m_pages = { folders, scanner, schema, separator, icm, xml };
}

void TRANSFER_TABS::PBT_OPSLAAN()
{
    // Settings without a page on show are carried through as they were read, so nothing is lost.
    config::ConfigValues values = config::ConfigValues::fromSettings(m_context.settings);
    for (const SettingsPage* page : m_pages) {
        page->store(values);
    }
    if (config::writeConfig(m_context.workFolder, values, m_context.messages, m_writer)) {
        accept();
    }
}
