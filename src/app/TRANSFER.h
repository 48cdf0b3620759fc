#pragma once

#include "commands/CommandContext.h"
#include "commands/CommandView.h"
#include "commands/SourceFiles.h"
#include "config/Settings.h"
#include "convert/Conversion.h"
#include "platform/Clock.h"
#include "platform/Deployment.h"
#include "platform/Messages.h"
#include "ui/ControlSet.h"

#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <memory>
#include <string>
#include <vector>

class HelpWindow;
class QFileSystemWatcher;
class QTimer;

// The main window: the source files of the input folder, the send or e-mail button, the
// order-information state and the BE/NL choice. Closing it ends the program. The opening
// sequence runs in the constructor, once the controls exist. Its commands see it through the
// CommandView it implements.
class TRANSFER : public QMainWindow, public commands::CommandView
{
    Q_OBJECT

public:
    TRANSFER(platform::Messages& messages, std::string programFolder, const platform::Clock& clock,
        QWidget* parent = nullptr);
    ~TRANSFER() override;

    // What the window and its dialogs work with; commands get it as commandContext().
    const config::Settings& settings() const { return m_settings; }
    const std::string& workFolder() const { return m_workFolder; }
    const std::string& programFolder() const { return m_programFolder; }
    // deployment.ini of the program folder over the compiled-in defaults.
    const platform::Deployment& deployment() const { return m_deployment; }
    platform::Messages& messages() { return m_messages; }
    const platform::Clock& clock() const { return m_clock; }
    // The order and its readers; exists from the end of the opening sequence on.
    convert::Conversion& conversion() { return *m_conversion; }

    // commands::CommandView
    std::vector<std::string> tickedFiles() const override;
    void clearTicks() override;
    void refillList() override { LISTVIEW_FILL(); }
    void setSendCaption(const std::string& caption) override;
    bool isBelgianShopChosen() const override;
    void closeWindow() override { close(); }
    void beginBusy() override;
    void endBusy() override;

    // Rebuilds the list from MapIn and Extentie; only the first file comes ticked.
    void LISTVIEW_FILL();
    // Adds the three list columns.
    void LISTVIEWCOLUMNS_FILL();
    // Shows the help at its topic "HelpContents".
    void HELPCONTENTS();
    // Shows ICO_ORD_ON when orderkop.txt holds data, ICO_ORD_OFF otherwise.
    void showOrderInfoState();

public slots:
    void PBT_SENDORDER() { sendOrder(); }
    void PBT_MAIL();
    void PBT_EXTRA();
    void showSettings();
    void showSentOrders();
    // "Order bekijken": the ticked file as it would be sent; the window stays as it is.
    void previewOrder();
    void showInfo();

private:
    // The controls, named as in the layout. The button handlers carry the buttons' names, so the
    // controls live in a struct of their own.
    struct Controls : ui::ControlSet
    {
        UI_CONTROL(QPushButton, PBT_SENDORDER);
        UI_CONTROL(QPushButton, PBT_MAIL);
        UI_CONTROL(QTreeWidget, LISTVIEW_TRANSFER);
        UI_CONTROL(QPushButton, PBT_EXTRA);
        UI_CONTROL(QLabel, ICO_ORD_OFF);
        UI_CONTROL(QLabel, ICO_ORD_ON);
        UI_CONTROL(QLabel, TXT_SCHEMA);
        UI_CONTROL(QRadioButton, RBT_BE);
        UI_CONTROL(QRadioButton, RBT_NL);
        UI_CONTROL(QLabel, ICO_BENL);
        UI_CONTROL(QGroupBox, RADIOBUTTONGROUP1);
    };
    static inline const ui::Form<Controls> s_form { "TRANSFER" };

    void buildWindow();
    void openingSequence();
    void readSettings();
    void deleteLeftoverDocument();
    void runLengthsUpdateCheck();
    void showShopChoice();
    // The list follows the input folder while the window is open: files that come or go appear or
    // leave without the ticks of the others changing.
    void followInputFolder();
    void watchInputFolder();
    void relistFiles();
    static QTreeWidgetItem* listItem(const commands::SourceFile& file, Qt::CheckState tick);
    // The path bytes an item of the list stands for.
    static std::string pathOf(const QTreeWidgetItem* item);
    void sendOrder();
    commands::CommandContext commandContext();

    platform::Messages& m_messages;
    const std::string m_programFolder;
    const platform::Clock& m_clock;
    const platform::Deployment m_deployment;
    const std::string m_helpFile;
    std::string m_workFolder;
    config::Settings m_settings;
    std::unique_ptr<convert::Conversion> m_conversion;
    HelpWindow* m_helpWindow = nullptr;
    QFileSystemWatcher* m_folderWatcher = nullptr;
    QTimer* m_relistTimer = nullptr;
    Controls m_controls;
};
