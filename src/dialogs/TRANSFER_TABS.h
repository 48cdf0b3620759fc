#pragma once

#include "config/ConfigWriter.h"
#include "config/Settings.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "ui/ControlSet.h"

#include <QDialog>
#include <QPushButton>
#include <QTabWidget>

#include <string>
#include <vector>

class SettingsPage;

// The settings dialog: six pages in a tab control and "Opslaan", which writes config.xml. It
// shows the record the program started with and never changes it; saved settings take effect
// at the next start.
class TRANSFER_TABS : public QDialog
{
    Q_OBJECT

public:
    // What the dialog and its pages work with; the main window hands over its own.
    struct Context
    {
        const config::Settings& settings;
        std::string workFolder;
        std::string programFolder;
        std::string lengthsUpdateHost; // host[:port] of the pipe-length update
        const platform::Clock& clock;
        platform::Messages& messages;
        std::string tlsCaFile = {}; // extra PEM bundle for an https update host
    };

    TRANSFER_TABS(QWidget* owner, const Context& context);

    // Writes config.xml from the pages and closes the dialog; a failed write leaves it open.
    void PBT_OPSLAAN();

    // Replaces the file writer of the save, so a test can make the write fail.
    void setFileWriter(config::FileWriter writer) { m_writer = std::move(writer); }

private:
    struct Controls : ui::ControlSet
    {
        UI_CONTROL(QTabWidget, TABCONTROL1);
        UI_CONTROL(QPushButton, PBT_OPSLAAN);
    };
    static inline const ui::Form<Controls> s_form { "TRANSFER_TABS" };

    void appendPages();

    const Context m_context;
    config::FileWriter m_writer;
    Controls m_controls;
    std::vector<SettingsPage*> m_pages; // in the order they are filled
};
