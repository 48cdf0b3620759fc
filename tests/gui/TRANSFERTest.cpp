#include "app/TRANSFER.h"
#include "app/HelpWindow.h"
#include "dialogs/INFO.h"

#include "GuiTestSupport.h"
#include "RecordingMessages.h"
#include "TempDir.h"
#include "platform/Paths.h"
#include "ui/DialogBuilder.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using gui_test::writeConfig;
using gui_test::writeText;
using testing_support::RecordingMessages;
using testing_support::TempDir;

namespace {

class OpeningSequence : public ::testing::Test
{
protected:
    OpeningSequence()
        : m_appData("AppData", m_home.path().c_str())
        , m_work(m_home.file("VARO"))
        , m_input(m_home.file("in"))
    {
        std::filesystem::create_directories(m_work);
        std::filesystem::create_directories(m_input);
        // No update check leaves the machine: the check server is a closed port on loopback.
        writeText(m_program.file("deployment.ini"), "[lengths]\ncheck = 127.0.0.1:9\nupdate = 127.0.0.1:9\n");
    }

    void configure(std::map<std::string, std::string> values)
    {
        values.emplace("MapIn", m_input);
        values.emplace("Extentie", "*.csv");
        writeConfig(m_work, values);
    }

    TRANSFER& open()
    {
        m_window = std::make_unique<TRANSFER>(m_messages, m_program.path(), m_clock);
        return *m_window;
    }

    void addInput(const std::string& name) { writeText(m_input + "/" + name, "4711;2\r\n"); }

    static QStringList names(const TRANSFER& window)
    {
        QStringList result;
        const QTreeWidget* list = gui_test::control<QTreeWidget>(window, "LISTVIEW_TRANSFER");
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            result << list->topLevelItem(i)->text(0);
        }
        return result;
    }

    static QList<bool> ticks(const TRANSFER& window)
    {
        QList<bool> result;
        const QTreeWidget* list = gui_test::control<QTreeWidget>(window, "LISTVIEW_TRANSFER");
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            result << (list->topLevelItem(i)->checkState(0) == Qt::Checked);
        }
        return result;
    }

    TempDir m_home;
    TempDir m_program;
    gui_test::ScopedEnv m_appData;
    std::string m_work;
    std::string m_input;
    RecordingMessages m_messages;
    platform::FixedClock m_clock { { 2026, 12, 8 } };
    std::unique_ptr<TRANSFER> m_window;
};

} // namespace

TEST_F(OpeningSequence, ReadsTheWorkFilesFromTheProgramFolderWithoutAppData)
{
    gui_test::ScopedEnv unset("AppData", nullptr);
    writeConfig(m_program.path(), { { "Schema", "SDF" } });
    writeText(m_program.file("orderkop.txt"), "ref\r\n");
    writeText(m_program.file("dtbs.xml"), "bcdata=");
    TRANSFER& window = open();
    EXPECT_EQ(window.workFolder(), m_program.path());
    EXPECT_EQ(gui_test::control<QLabel>(window, "TXT_SCHEMA")->text(), "SDF");
    EXPECT_TRUE(gui_test::control<QLabel>(window, "ICO_ORD_OFF")->isHidden());
    EXPECT_FALSE(gui_test::control<QLabel>(window, "ICO_ORD_ON")->isHidden());
    EXPECT_FALSE(std::filesystem::exists(m_program.file("dtbs.xml")));
    EXPECT_TRUE(m_messages.empty()) << m_messages.texts().front();
}

TEST_F(OpeningSequence, OpensEmptyWithoutConfiguration)
{
    addInput("a.csv");
    TRANSFER& window = open();
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages.last().text, "Geen configuratie, zie tabblad in menu.");
    EXPECT_TRUE(gui_test::control<QLabel>(window, "TXT_SCHEMA")->text().isEmpty());
    EXPECT_EQ(gui_test::control<QTreeWidget>(window, "LISTVIEW_TRANSFER")->topLevelItemCount(), 0);
    EXPECT_FALSE(gui_test::control<QPushButton>(window, "PBT_SENDORDER")->isHidden());
    EXPECT_TRUE(gui_test::control<QPushButton>(window, "PBT_MAIL")->isHidden());
    EXPECT_TRUE(gui_test::control<QGroupBox>(window, "RADIOBUTTONGROUP1")->isHidden());
    EXPECT_TRUE(gui_test::control<QLabel>(window, "ICO_ORD_ON")->isHidden());
}

TEST_F(OpeningSequence, ShowsTheSchemaAsPlainText)
{
    configure({ { "Schema", "<b>CSV</b>" } });
    const QLabel* schema = gui_test::control<QLabel>(open(), "TXT_SCHEMA");
    EXPECT_EQ(schema->text(), "<b>CSV</b>");
    EXPECT_EQ(schema->textFormat(), Qt::PlainText);
    EXPECT_EQ(schema->accessibleName(), "<b>CSV</b>");
}

TEST_F(OpeningSequence, LeavesTheListEmptyWithoutSchema)
{
    configure({ { "Schema", "" } });
    addInput("a.csv");
    EXPECT_EQ(gui_test::control<QTreeWidget>(open(), "LISTVIEW_TRANSFER")->topLevelItemCount(), 0);
}

TEST_F(OpeningSequence, ListsOrdinaryMatchingFilesInNameOrderWithTheFirstTicked)
{
    configure({ { "Schema", "CSV" } });
    for (const char* name : { "b.csv", "A.CSV", "c.txt", ".hidden.csv", "a_b.csv", "ab.csv" }) {
        addInput(name);
    }
    std::filesystem::create_directories(m_input + "/folder.csv");
    TRANSFER& window = open();
    EXPECT_EQ(names(window), QStringList({ "A.CSV", "ab.csv", "a_b.csv", "b.csv" }));
    EXPECT_EQ(ticks(window), QList<bool>({ true, false, false, false }));
    EXPECT_EQ(window.tickedFiles(), std::vector<std::string> { platform::joinPath(m_input, "A.CSV") });
}

TEST_F(OpeningSequence, ShowsNamesOutsideTheAnsiCodePageAsTheyAre)
{
    // A folder and a file named with letters that Windows' ANSI code page cannot hold.
    const std::string input = m_home.file("Jos\xC3\xA9");
    const std::string name = "bestelling \xC5\x81\xC3\xB3"
                             "d\xC5\xBA.csv";
    std::filesystem::create_directories(std::u8string(input.begin(), input.end()));
    gui_test::writeText(platform::joinPath(input, name), "4711;2\r\n");
    configure({ { "Schema", "CSV" }, { "MapIn", input } });
    TRANSFER& window = open();
    EXPECT_EQ(names(window), QStringList({ QString::fromUtf8(name) }));
    EXPECT_EQ(window.tickedFiles(), std::vector<std::string> { platform::joinPath(input, name) });
}

TEST_F(OpeningSequence, ListsTheFileThatExtentieNames)
{
    configure({ { "Schema", "CSV" }, { "Extentie", "order.csv" } });
    addInput("order.csv");
    addInput("order2.csv");
    EXPECT_EQ(names(open()), QStringList({ "order.csv" }));
}

TEST_F(OpeningSequence, ShowsTheLastWriteTimeAndDate)
{
    configure({ { "Schema", "CSV" } });
    addInput("a.csv");
    std::tm when {};
    when.tm_year = 2025 - 1900;
    when.tm_mon = 2;
    when.tm_mday = 7;
    when.tm_hour = 9;
    when.tm_min = 5;
    when.tm_sec = 3;
    when.tm_isdst = -1;
    const auto stamp = std::chrono::system_clock::from_time_t(std::mktime(&when));
    std::filesystem::last_write_time(m_input + "/a.csv", std::chrono::file_clock::from_sys(stamp));
    const QTreeWidgetItem* item = gui_test::control<QTreeWidget>(open(), "LISTVIEW_TRANSFER")->topLevelItem(0);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(1), "09:05:03");
    EXPECT_EQ(item->text(2), "2025-03-07");
}

TEST_F(OpeningSequence, TicksOnlyTheFirstFileAfterARefill)
{
    configure({ { "Schema", "CSV" } });
    addInput("a.csv");
    addInput("b.csv");
    TRANSFER& window = open();
    QTreeWidget* list = gui_test::control<QTreeWidget>(window, "LISTVIEW_TRANSFER");
    list->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    list->topLevelItem(1)->setCheckState(0, Qt::Checked);
    addInput("0.csv");
    window.LISTVIEW_FILL();
    EXPECT_EQ(names(window), QStringList({ "0.csv", "a.csv", "b.csv" }));
    EXPECT_EQ(ticks(window), QList<bool>({ true, false, false }));
}

TEST_F(OpeningSequence, ShowsTheMailButtonOnlyForIcmByMail)
{
    const struct
    {
        const char* icm;
        const char* schema;
        bool mails;
    } cases[] = { { "ML", "ICM", true }, { "ML", "CSV", false }, { "KN", "ICM", false }, { "ml", "ICM", false } };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.icm) + " " + c.schema);
        configure({ { "ICM", c.icm }, { "Schema", c.schema } });
        TRANSFER& window = open();
        EXPECT_EQ(gui_test::control<QPushButton>(window, "PBT_MAIL")->isHidden(), !c.mails);
        EXPECT_EQ(gui_test::control<QPushButton>(window, "PBT_SENDORDER")->isHidden(), c.mails);
        EXPECT_EQ(gui_test::control<QPushButton>(window, "PBT_SENDORDER")->text(), "Order verzenden");
    }
}

TEST_F(OpeningSequence, ShowsTheShopChoiceWithTheBranchPressed)
{
    const struct
    {
        const char* webpagina;
        const char* filiaal;
        bool shown;
        bool belgian;
    } cases[] = { { "YES", "NED", true, false }, { "YES", "BEL", true, true }, { "NO", "BEL", false, false },
        { "yes", "NED", false, false } };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.webpagina) + " " + c.filiaal);
        configure({ { "Webpagina", c.webpagina }, { "Filiaal", c.filiaal } });
        TRANSFER& window = open();
        for (QWidget* control : std::initializer_list<QWidget*> { gui_test::control<QRadioButton>(window, "RBT_BE"),
                 gui_test::control<QRadioButton>(window, "RBT_NL"),
                 gui_test::control<QGroupBox>(window, "RADIOBUTTONGROUP1"),
                 gui_test::control<QLabel>(window, "ICO_BENL") }) {
            EXPECT_EQ(control->isHidden(), !c.shown) << control->objectName().toStdString();
        }
        if (c.shown) {
            EXPECT_EQ(window.isBelgianShopChosen(), c.belgian);
            EXPECT_EQ(gui_test::control<QRadioButton>(window, "RBT_NL")->isChecked(), !c.belgian);
        }
    }
}

TEST_F(OpeningSequence, ShowsWhetherOrderInformationWaits)
{
    configure({});
    writeText(m_work + "/orderkop.txt", "");
    TRANSFER& window = open();
    EXPECT_FALSE(gui_test::control<QLabel>(window, "ICO_ORD_OFF")->isHidden());
    EXPECT_TRUE(gui_test::control<QLabel>(window, "ICO_ORD_ON")->isHidden());
    writeText(m_work + "/orderkop.txt", "C1\r\n");
    window.showOrderInfoState();
    EXPECT_TRUE(gui_test::control<QLabel>(window, "ICO_ORD_OFF")->isHidden());
    EXPECT_FALSE(gui_test::control<QLabel>(window, "ICO_ORD_ON")->isHidden());
}

TEST_F(OpeningSequence, DeletesALeftoverOrderDocument)
{
    configure({});
    writeText(m_work + "/dtbs.xml", "bcdata=<cXML/>");
    open();
    EXPECT_FALSE(std::filesystem::exists(m_work + "/dtbs.xml"));
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(OpeningSequence, ReportsALeftoverItCannotDeleteAndGoesOn)
{
    configure({ { "Schema", "CSV" }, { "Webpagina", "YES" }, { "Filiaal", "NED" } });
    addInput("a.csv");
    // Root may delete any file, so the leftover is a folder, which is never ours to remove.
    std::filesystem::create_directories(m_work + "/dtbs.xml");
    writeText(m_work + "/dtbs.xml/keep", "x");
    TRANSFER& window = open();
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages.last().kind, RecordingMessages::Kind::Error);
    EXPECT_EQ(m_messages.last().text, "Bestand " + platform::joinPath(m_work, "dtbs.xml") + " niet gewist.");
    EXPECT_TRUE(std::filesystem::exists(m_work + "/dtbs.xml/keep"));
    EXPECT_EQ(gui_test::control<QTreeWidget>(window, "LISTVIEW_TRANSFER")->topLevelItemCount(), 1);
    EXPECT_FALSE(gui_test::control<QGroupBox>(window, "RADIOBUTTONGROUP1")->isHidden());
    EXPECT_EQ(window.conversion().workFolder(), m_work);
}

TEST_F(OpeningSequence, ChecksForPipeLengthUpdatesOnlyForTheBelgianBranch)
{
    const struct
    {
        const char* filiaal;
        const char* lastCheck;
        bool checks;
    } cases[] = { { "BEL", nullptr, true }, { "NED", nullptr, false }, { "bel", nullptr, false },
        { "BEL", "2026-12-01", false } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filiaal);
        m_messages.clear();
        std::filesystem::remove(m_program.file("lgt_versie.txt"));
        if (c.lastCheck) {
            writeText(m_program.file("lgt_versie.txt"), std::string("2026.01   ") + " " + c.lastCheck);
        }
        configure({ { "Filiaal", c.filiaal } });
        open();
        // The check server of this installation does not answer, so a check that runs fails aloud.
        EXPECT_EQ(m_messages.texts(),
            c.checks ? std::vector<std::string> { "Updatecontrole mislukt !" } : std::vector<std::string> {});
    }
}

TEST_F(OpeningSequence, BuildsItsClientAreaFromItsLayout)
{
    configure({ { "Schema", "CSV" } });
    TRANSFER& window = open();
    EXPECT_EQ(window.objectName(), "TRANSFER");
    EXPECT_EQ(window.windowTitle(), "Transvo v4.14");
    EXPECT_FALSE(window.windowIcon().isNull());
    const ui::DialogLayout layout = ui::DialogLayout::load("TRANSFER");
    const QWidget* client = window.centralWidget();
    const ui::BaseUnits base = ui::baseUnits(client->font());
    EXPECT_EQ(client->size(), ui::toPixels(QRect(QPoint(0, 0), layout.sizeInUnits()), base).size());
    for (const ui::LayoutControl& row : layout.controls()) {
        SCOPED_TRACE(row.objectName().toStdString());
        const QWidget* control = client->findChild<QWidget*>(row.objectName());
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->property("controlId").toInt(), row.id);
        EXPECT_EQ(control->geometry(), ui::toPixels(row.units, base));
    }
    // The schema fills its text at start-up, and screen readers hear it.
    const auto* schema = gui_test::control<QLabel>(window, "TXT_SCHEMA");
    EXPECT_EQ(schema->accessibleName(), "CSV");
    EXPECT_TRUE(schema->font().bold());
    EXPECT_EQ(schema->palette().color(QPalette::WindowText), QColor(0, 128, 192));
    EXPECT_EQ(gui_test::control(window, "ICO_ORD_OFF")->accessibleName(), "Geen extra orderinformatie");
    EXPECT_EQ(gui_test::control(window, "ICO_ORD_ON")->accessibleName(), "Extra orderinformatie aanwezig");
    EXPECT_TRUE(gui_test::control<QPushButton>(window, "PBT_SENDORDER")->isDefault());
    // The send and mail buttons take turns on one spot, and so do the two order-information icons.
    EXPECT_EQ(
        gui_test::control(window, "PBT_SENDORDER")->geometry(), gui_test::control(window, "PBT_MAIL")->geometry());
    EXPECT_EQ(
        gui_test::control(window, "ICO_ORD_ON")->geometry(), gui_test::control(window, "ICO_ORD_OFF")->geometry());
}

TEST_F(OpeningSequence, HasTheThreeListColumns)
{
    configure({});
    const QTreeWidget* list = gui_test::control<QTreeWidget>(open(), "LISTVIEW_TRANSFER");
    ASSERT_EQ(list->columnCount(), 3);
    EXPECT_EQ(list->headerItem()->text(0), "Bestand");
    EXPECT_EQ(list->headerItem()->text(1), "Tijd");
    EXPECT_EQ(list->headerItem()->text(2), "Datum");
    // 18, 7 and 10 characters wide: the date needs more room than the time, the name most.
    EXPECT_GT(list->columnWidth(0), list->columnWidth(2));
    EXPECT_GT(list->columnWidth(2), list->columnWidth(1));
    const QFontMetrics metrics(list->font());
    EXPECT_GE(list->columnWidth(1), metrics.horizontalAdvance("00:00:00"));
}

TEST_F(OpeningSequence, HasTheMenuOfTheWindow)
{
    configure({});
    TRANSFER& window = open();
    const QList<QAction*> top = window.menuBar()->actions();
    // The preview and the log of sent orders sit beside the settings; Help stays last.
    ASSERT_EQ(top.size(), 4);
    EXPECT_EQ(top[0]->text(), "Instellingen");
    EXPECT_EQ(top[1]->text(), "Order bekijken");
    EXPECT_EQ(top[2]->text(), "Verzonden orders");
    EXPECT_EQ(top[3]->text(), "Help");
    ASSERT_NE(top[3]->menu(), nullptr);
    const QList<QAction*> help = top[3]->menu()->actions();
    ASSERT_EQ(help.size(), 3);
    EXPECT_EQ(help[0]->text(), "Info");
    EXPECT_TRUE(help[1]->isSeparator());
    EXPECT_EQ(help[2]->text(), "Help");
    EXPECT_EQ(top[0]->property("commandId").toInt(), 2166);
    EXPECT_EQ(help[0]->property("commandId").toInt(), 2168);
    EXPECT_EQ(help[2]->property("commandId").toInt(), 2170);
}

TEST_F(OpeningSequence, OpensInfoModallyFromTheMenu)
{
    configure({});
    TRANSFER& window = open();
    QAction* info = window.findChild<QAction*>("INFO");
    ASSERT_NE(info, nullptr);
    QString title;
    QWidget* owner = nullptr;
    gui_test::onNextModal([&](QWidget* modal) {
        title = modal->windowTitle();
        owner = modal->parentWidget();
        EXPECT_TRUE(modal->isModal());
    });
    info->trigger();
    EXPECT_EQ(title, "Info Transvo");
    EXPECT_EQ(owner, &window);
}

TEST_F(OpeningSequence, OpensTheSettingsModallyOnTheRecordItRead)
{
    configure({ { "Schema", "XML" } });
    TRANSFER& window = open();
    QWidget* owner = nullptr;
    QString folder;
    bool xmlPressed = false;
    gui_test::onNextModal([&](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), "Instellingen");
        owner = modal->parentWidget();
        folder = gui_test::control<QLineEdit>(*modal, "SLE_MAPIN")->text();
        xmlPressed = gui_test::control<QAbstractButton>(*modal, "RBT_XML")->isChecked();
    });
    window.findChild<QAction*>("TRANSFER_TABS")->trigger();
    EXPECT_EQ(owner, &window);
    EXPECT_EQ(folder.toStdString(), m_input);
    EXPECT_TRUE(xmlPressed);
}

TEST_F(OpeningSequence, ShowsTheShippedHelpAtItsTopic)
{
    configure({});
    m_window = std::make_unique<TRANSFER>(m_messages, TRANSVO_BIN_DIR, m_clock);
    m_window->findChild<QAction*>("HELPCONTENTS")->trigger();
    EXPECT_TRUE(m_messages.empty()) << m_messages.texts().front();
    const auto* browser = m_window->findChild<QTextBrowser*>("HELPBROWSER");
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(browser->window()->isVisible());
    EXPECT_EQ(browser->source().fragment(), "HelpContents");
    EXPECT_TRUE(browser->toPlainText().contains("Order verzenden"));
}

TEST_F(OpeningSequence, ReportsMissingHelp)
{
    configure({});
    TRANSFER& window = open();
    window.HELPCONTENTS();
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages.last().text,
        "Helpbestand " + platform::joinPath(platform::joinPath(m_program.path(), "help"), "Transvo_v4.html")
            + " niet gevonden.");
}

// Not a check: writes what the windows look like for a person to judge, when asked to.
TEST_F(OpeningSequence, SavesScreenshotsWhenAsked)
{
    const char* folder = std::getenv("TRANSVO_SCREENSHOTS");
    if (folder == nullptr) {
        GTEST_SKIP() << "set TRANSVO_SCREENSHOTS to a folder";
    }
    configure({ { "Schema", "CSV" }, { "Webpagina", "YES" }, { "Filiaal", "BEL" } });
    for (const char* name : { "bestelling_0042.csv", "Bestelling_0043.csv", "project-west.csv" }) {
        addInput(name);
    }
    TRANSFER& window = open();
    window.show();
    window.grab().save(QString::fromUtf8(folder) + "/TRANSFER.png");
    ::INFO info(&window);
    info.show();
    info.grab().save(QString::fromUtf8(folder) + "/INFO.png");
    HelpWindow help;
    help.showTopic(HelpWindow::helpFile(TRANSVO_BIN_DIR), QStringLiteral("HelpContents"));
    help.grab().save(QString::fromUtf8(folder) + "/HELP.png");
}

// Files the customer's software drops into the input folder, or takes away, show while the window
// is open; the user's ticks stay on the files they were on.
TEST_F(OpeningSequence, FollowsTheInputFolderAndKeepsTheTicks)
{
    configure({ { "Schema", "CSV" } });
    addInput("a.csv");
    addInput("c.csv");
    TRANSFER& window = open();
    ASSERT_EQ(ticks(window), QList<bool>({ true, false })) << "a fresh fill ticks the first file";
    gui_test::control<QTreeWidget>(window, "LISTVIEW_TRANSFER")->topLevelItem(1)->setCheckState(0, Qt::Checked);

    addInput("b.csv");
    addInput("notes.txt");
    ASSERT_TRUE(QTest::qWaitFor([&]() { return names(window).size() == 3; }));
    EXPECT_EQ(names(window), QStringList({ "a.csv", "b.csv", "c.csv" }));
    EXPECT_EQ(ticks(window), QList<bool>({ true, false, true }));

    std::filesystem::remove(platform::toFsPath(platform::joinPath(m_input, "a.csv")));
    ASSERT_TRUE(QTest::qWaitFor([&]() { return names(window).size() == 2; }));
    EXPECT_EQ(names(window), QStringList({ "b.csv", "c.csv" }));
    EXPECT_EQ(ticks(window), QList<bool>({ false, true }));
    EXPECT_EQ(window.tickedFiles(), std::vector<std::string> { platform::joinPath(m_input, "c.csv") });
}
