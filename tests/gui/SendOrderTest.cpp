#include "app/TRANSFER.h"

#include "GuiTestSupport.h"
#include "RecordingMessages.h"
#include "commands/SendOrderWorld.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using gui_test::writeConfig;
using testing_support::RecordingMessages;

namespace {

// One order per outcome through the real window, end to end: the command's own rules are tested
// headless with the command; here the window's part in them.
class SendOrder : public SendOrderWorld
{
protected:
    SendOrder()
        : m_appData("AppData", m_home.path().c_str())
    {
        // The start-up update check of the Belgian branch meets a closed port and stays local.
        writeText(m_program.file("deployment.ini"),
            "[webshop]\nbe = " + s_belgian->hostPort() + "\nnl = " + s_dutch->hostPort()
                + "\n[lengths]\ncheck = 127.0.0.1:9\nupdate = 127.0.0.1:9\n[tls]\nca_file = " + s_belgian->caFile()
                + "\n");
    }

    void configure(std::map<std::string, std::string> values)
    {
        values.emplace("Identity", "klant42");
        values.emplace("Schema", "CSV");
        values.emplace("CSV_char", ";");
        values.emplace("CSV_art", "1");
        values.emplace("CSV_aant", "2");
        values.emplace("DirectERP", "0");
        values.emplace("Filiaal", "BEL");
        values.emplace("lang", "NL");
        values.emplace("MapIn", m_input);
        values.emplace("Extentie", "*.csv");
        writeConfig(m_work, values);
    }

    TRANSFER& open()
    {
        m_window = std::make_unique<TRANSFER>(m_messages, m_program.path(), m_clock);
        m_window->show();
        m_messages.clear(); // what the start-up said is not this command's business
        return *m_window;
    }

    void send() { m_window->PBT_SENDORDER(); }

    std::string caption() const
    {
        return gui_test::control<QPushButton>(*m_window, "PBT_SENDORDER")->text().toStdString();
    }

    gui_test::ScopedEnv m_appData;
    platform::FixedClock m_clock { { 2026, 12, 8 } };
    RecordingMessages m_messages;
    std::unique_ptr<TRANSFER> m_window;
};

TEST_F(SendOrder, PostsTheTickedFileAndOpensTheLoginPage)
{
    configure({});
    addInput("a.csv");
    open();
    send();

    EXPECT_EQ(m_messages.texts(), std::vector<std::string> { "Order verzonden, zie winkelwagen in browser." });
    EXPECT_EQ(m_messages.last().caption, "Upload order");
    EXPECT_EQ(caption(), "Verzonden");
    EXPECT_EQ(gui_test::control<QPushButton>(*m_window, "PBT_SENDORDER")->accessibleName().toStdString(), "Verzonden");
    EXPECT_EQ(opened(), "https://" + s_belgian->hostPort() + "/nl/klant/account/login/\n");
    ASSERT_FALSE(document().empty());
    EXPECT_EQ(body(*s_belgian), document());
    EXPECT_EQ(body(*s_dutch), "");
    EXPECT_FALSE(m_window->isVisible()) << "the program ends after a post";
    EXPECT_TRUE(std::filesystem::exists(m_input + "/a.csv")) << "Bestand_del is off";
}

TEST_F(SendOrder, StopsAtTwoTickedFilesWithoutTouchingAnything)
{
    configure({ { "Besteleenheid", "MTR" } });
    addInput("a.csv");
    addInput("b.csv");
    open();
    QTreeWidget* list = gui_test::control<QTreeWidget>(*m_window, "LISTVIEW_TRANSFER");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    list->topLevelItem(1)->setCheckState(0, Qt::Checked);
    send();

    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages.last().text, "Meerdere bestanden niet mogelijk");
    EXPECT_EQ(m_messages.last().caption, "Konekta");
    EXPECT_EQ(m_messages.last().icon, platform::MessageIcon::Information);
    EXPECT_EQ(caption(), "Order verzenden");
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_FALSE(std::filesystem::exists(m_work + "/dtbs.xml"));
}

TEST_F(SendOrder, ReportsNoDataWhenNothingWasConverted)
{
    struct Case
    {
        const char* label;
        std::map<std::string, std::string> settings;
        bool untick;
    };
    const Case cases[] = {
        { "no ticked file", {}, true },
        { "empty Schema keeps the list empty", { { "Schema", "" } }, false },
        { "unknown Schema runs no reader", { { "Schema", "csv" } }, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        configure(c.settings);
        addInput("a.csv");
        open();
        if (c.untick && gui_test::control<QTreeWidget>(*m_window, "LISTVIEW_TRANSFER")->topLevelItemCount() > 0) {
            gui_test::control<QTreeWidget>(*m_window, "LISTVIEW_TRANSFER")
                ->topLevelItem(0)
                ->setCheckState(0, Qt::Unchecked);
        }
        const auto ticked = m_window->tickedFiles();
        send();
        ASSERT_EQ(m_messages.size(), 1u);
        EXPECT_EQ(m_messages.last().text, "Geen data in " + (ticked.empty() ? std::string() : ticked.front()));
        EXPECT_EQ(m_messages.last().caption, "Transvo");
        EXPECT_EQ(caption(), "Momentje");
        EXPECT_TRUE(m_window->isVisible());
        EXPECT_EQ(body(*s_belgian), "");
    }
}

TEST_F(SendOrder, ShowsARefusalAndClosesTheWindow)
{
    configure({ { "Bestand_del", "YES" } });
    addInput("a.csv");
    ASSERT_TRUE(s_belgian->control("status=500 Internal Server Error"));
    m_messages.setNextAnswer(true);
    open();
    send();
    EXPECT_TRUE(std::filesystem::exists(m_input + "/a.csv")) << "a refused order keeps its source";
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages.last().kind, RecordingMessages::Kind::Question);
    EXPECT_EQ(m_messages.last().text,
        "Webshop geeft volgende melding:\nHTTP/1.1 500 Internal Server Error\n\n"
        "Druk Ja voor meer details");
    EXPECT_EQ(caption(), "Fout bij verzenden");
    EXPECT_EQ(gui_test::control<QPushButton>(*m_window, "PBT_SENDORDER")->accessibleName().toStdString(),
        "Fout bij verzenden");
    EXPECT_EQ(opened(), m_work + "/Page2.htm\n");
    EXPECT_FALSE(m_window->isVisible());
}

// The list shows a name that is no valid UTF-8 as best it can, but the command must get the
// bytes: it converts the file, and deletes it once the webshop took the order.
TEST_F(SendOrder, SendsAndDeletesAFileWhoseNameIsNoValidUtf8)
{
    configure({ { "Bestand_del", "YES" } });
    const std::string name = "caf\xE9.csv";
    addInput(name);
    open();
    ASSERT_EQ(gui_test::control<QTreeWidget>(*m_window, "LISTVIEW_TRANSFER")->topLevelItemCount(), 1);
    EXPECT_EQ(gui_test::control<QTreeWidget>(*m_window, "LISTVIEW_TRANSFER")->topLevelItem(0)->text(0),
        QString::fromUtf8("caf\uFFFD.csv"));
    EXPECT_EQ(m_window->tickedFiles(), std::vector<std::string> { m_input + "/" + name });
    send();
    EXPECT_EQ(m_messages.texts(), std::vector<std::string> { "Order verzonden, zie winkelwagen in browser." });
    EXPECT_EQ(body(*s_belgian), document());
    EXPECT_FALSE(std::filesystem::exists(m_input + "/" + name));
    EXPECT_EQ(gui_test::control<QTreeWidget>(*m_window, "LISTVIEW_TRANSFER")->topLevelItemCount(), 0)
        << "the list is refilled";
}

TEST_F(SendOrder, CarriesTheSavedOrderInformationIntoTheNextOrder)
{
    configure({});
    addInput("a.csv", "3125021;12\r\n");
    TRANSFER& window = open();
    // Runs the dialog from the window's button, presses the buttons named and checks the icon after.
    const auto orderInfo = [&window](std::vector<const char*> buttons, bool waiting) {
        gui_test::onNextModal([&window, buttons](QWidget* dialog) {
            EXPECT_EQ(dialog->parentWidget(), &window);
            dialog->findChild<QLineEdit*>("SLE_ORDERREF")->setText("Werf Zöhne & Co");
            dialog->findChild<QLineEdit*>("SLE_NAAM1")->setText("Bouw €");
            dialog->findChild<QLineEdit*>("SLE_DATUM")->setText("2026-12-15");
            dialog->findChild<QComboBox*>("CMB_LAND")->setEditText("DE");
            for (const char* button : buttons) {
                dialog->findChild<QAbstractButton*>(button)->click();
            }
        });
        gui_test::control<QPushButton>(window, "PBT_EXTRA")->click();
        EXPECT_EQ(gui_test::control(window, "ICO_ORD_ON")->isVisible(), waiting);
        EXPECT_EQ(gui_test::control(window, "ICO_ORD_OFF")->isVisible(), !waiting);
    };
    orderInfo({ "PBT_OPSLAAN" }, true);
    orderInfo({ "PBT_WIS", "PBT_ANNULEREN" }, false);
    orderInfo({ "PBT_OPSLAAN" }, true);
    EXPECT_TRUE(m_messages.empty()) << m_messages.texts().front();

    send();
    const std::string xml = body(*s_belgian);
    for (const char* part : { "<Order_reference_number>Werf Z\xF6hne &amp; Co</Order_reference_number>",
             "<PostalAddress name=\"Bouw &#8364;\">", "<Country isoCountryCode=\"DE\">",
             "requestedDeliveryDate=\"2026-12-15\"" }) {
        EXPECT_NE(xml.find(part), std::string::npos) << part << "\n" << xml;
    }
    EXPECT_FALSE(std::filesystem::exists(m_work + "/orderkop.txt"));
}

// "Order bekijken" shows what the next send posts, with the metres the table turned into pipes,
// and leaves the window, the source and the waiting header data as they were.
TEST_F(SendOrder, PreviewShowsWhatIsThenSentAndChangesNothing)
{
    configure({ { "Besteleenheid", "MTR" } });
    addInput("a.csv");
    addInput("b.csv");
    writeText(m_work + "/orderkop.txt", "C-1\r\nR-2\r\n\r\n\r\n\r\n2026-12-15\r\nN\r\n\r\n\r\n\r\n\r\nBE\r\n");
    TRANSFER& window = open();
    QAction* preview = window.findChild<QAction*>("ORDERPREVIEW");
    ASSERT_NE(preview, nullptr);
    QTreeWidget* list = gui_test::control<QTreeWidget>(window, "LISTVIEW_TRANSFER");
    list->topLevelItem(1)->setCheckState(0, Qt::Checked);
    preview->trigger();
    EXPECT_EQ(m_messages.texts(), std::vector<std::string> { "Meerdere bestanden niet mogelijk" });
    list->topLevelItem(1)->setCheckState(0, Qt::Unchecked);

    QStringList header;
    std::vector<QStringList> rows;
    QStringList notes;
    gui_test::onNextModal([&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Order bekijken");
        EXPECT_EQ(dialog->parentWidget(), &window);
        auto* table = dialog->findChild<QTreeView*>("LISTVIEW_REGELS");
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->accessibleName(), "Orderregels");
        EXPECT_EQ(dialog->focusWidget(), table) << "the keyboard starts in the lines";
        const QAbstractItemModel* model = table->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            rows.emplace_back();
            for (int column = 0; column < model->columnCount(); ++column) {
                rows.back() << model->index(row, column).data().toString();
            }
        }
        for (const char* name : { "LBX_KOP", "LBX_OPMERKINGEN" }) {
            auto* box = dialog->findChild<QListWidget*>(name);
            ASSERT_NE(box, nullptr);
            for (int row = 0; row < box->count(); ++row) {
                (std::string(name) == "LBX_KOP" ? header : notes) << box->item(row)->text();
            }
        }
    });
    preview->trigger();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], QStringList({ "1", "3125021", "4", "12", "3" }));
    EXPECT_EQ(rows[1], QStringList({ "2", "8212503", "3", "2,5", "1" }));
    EXPECT_TRUE(header.contains("Contract: C-1"));
    EXPECT_TRUE(header.contains("Leverdatum: 2026-12-15"));
    EXPECT_TRUE(header.contains("Webshop: BE"));
    EXPECT_TRUE(notes.contains("De extra orderinformatie (orderkop.txt) vult de kop."));
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(std::filesystem::exists(m_work + "/dtbs.xml"));
    EXPECT_TRUE(std::filesystem::exists(m_work + "/orderkop.txt"));
    EXPECT_EQ(body(*s_belgian), "");

    m_messages.clear();
    send();
    EXPECT_EQ(m_messages.texts(), std::vector<std::string> { "Order verzonden, zie winkelwagen in browser." });
    const std::string xml = body(*s_belgian);
    for (const auto& row : rows) {
        const std::string item = "lineNumber=\"" + row[0].toStdString()
            + "\" requestedDeliveryDate=\"2026-12-15\" quantity=\"" + row[2].toStdString() + "\"";
        EXPECT_NE(xml.find(item), std::string::npos) << item << "\n" << xml;
    }
    EXPECT_NE(xml.find("<Contract_number>C-1</Contract_number>"), std::string::npos);
}

} // namespace

// The log as a user reads it after the program ended twice: newest first, the lines of the order
// under the cursor, its reply opened in the browser.
TEST_F(SendOrder, ListsThePostsInSentOrdersAndOpensAReply)
{
    configure({ { "Bestand_del", "YES" } }); // the second start ticks b.csv
    addInput("a.csv");
    addInput("b.csv", "4711;1\r\n");
    open();
    send();
    const auto acceptedReply = platform::readFile(m_work + "/Page2.htm");
    ASSERT_TRUE(s_belgian->control("status=500 Internal Server Error"));
    m_messages.setNextAnswer(false);
    open();
    send();
    forgetOpened();
    open();

    bool looked = false;
    gui_test::onNextModal([&](QWidget* dialog) {
        looked = true;
        EXPECT_EQ(dialog->windowTitle(), "Verzonden orders");
        auto* orders = gui_test::control<QTreeWidget>(*dialog, "LISTVIEW_ORDERS");
        auto* lines = gui_test::control<QTreeWidget>(*dialog, "LISTVIEW_REGELS");
        auto* outcome = gui_test::control<QLabel>(*dialog, "TXT_MELDING");
        ASSERT_EQ(orders->topLevelItemCount(), 2);
        EXPECT_EQ(orders->topLevelItem(0)->text(1), "b.csv");
        EXPECT_EQ(orders->topLevelItem(0)->text(4), "Fout bij verzenden");
        EXPECT_EQ(orders->topLevelItem(1)->text(4), "Verzonden");
        ASSERT_EQ(lines->topLevelItemCount(), 1);
        EXPECT_EQ(lines->topLevelItem(0)->text(1), "4711");
        EXPECT_TRUE(outcome->accessibleName().startsWith("Uitkomst: ")) << outcome->accessibleName().toStdString();
        EXPECT_TRUE(outcome->accessibleName().contains("HTTP/1.1 500 Internal Server Error"));

        EXPECT_EQ(dialog->focusWidget(), orders) << "the keyboard starts in the list of orders";
        QTest::keyClick(orders, Qt::Key_Down);
        ASSERT_EQ(lines->topLevelItemCount(), 2);
        const QStringList second
            = { lines->topLevelItem(1)->text(0), lines->topLevelItem(1)->text(1), lines->topLevelItem(1)->text(2) };
        EXPECT_EQ(second, QStringList({ "2", "8212503", "2,5" }));
        EXPECT_TRUE(outcome->accessibleName().contains("Order verzonden, zie winkelwagen in browser."));

        QTest::mouseClick(gui_test::control<QPushButton>(*dialog, "PBT_ANTWOORD"), Qt::LeftButton);
        const std::string reply = opened();
        EXPECT_EQ(reply.rfind(m_work + "/Verzonden/", 0), 0u) << reply;
        EXPECT_EQ(platform::readFile(reply.substr(0, reply.size() - 1)), acceptedReply);
    });
    m_window->findChild<QAction*>("VERZONDEN")->trigger();
    EXPECT_TRUE(looked);
}
