#include "commands/SendOrderCommand.h"
#include "commands/SentOrderLog.h"
#include "commands/SourceFiles.h"
#include "commands/WorkFolderLock.h"
#include "orderinfo/Orderkop.h"

#include "config/ConfigFields.h"

#include "Loopback.h"
#include "OwnerOnly.h"
#include "RecordingMessages.h"
#include "SendOrderWorld.h"
#include "TestWindow.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

using testing_support::RecordingMessages;
using testing_support::TempDir;

namespace {

// The command's whole way from a ticked file to the webshop, through the real readers.
class SendOrderCommand : public SendOrderWorld
{
protected:
    SendOrderCommand()
    {
        m_deployment.webshopBe = s_belgian->hostPort();
        m_deployment.webshopNl = s_dutch->hostPort();
        m_deployment.tlsCaFile = s_belgian->caFile();
        configure({});
    }

    // A CSV order to the Belgian shopping cart, changed by the fields given.
    void configure(const std::map<std::string, std::string>& changes)
    {
        m_settings = {};
        m_settings.Identity = "klant42";
        m_settings.Schema = "CSV";
        m_settings.CSV_char = ";";
        m_settings.CSV_art = 1;
        m_settings.CSV_aant = 2;
        m_settings.DirectERP = "0";
        m_settings.Filiaal = "BEL";
        m_settings.lang = "NL";
        m_settings.MapIn = m_input;
        m_settings.Extentie = "*.csv";
        for (const auto& [name, value] : changes) {
            m_settings.*config::findConfigField(name)->text = value;
        }
    }

    // The window as it opens: the list filled, only the first file ticked.
    TestWindow& open()
    {
        m_window = std::make_unique<TestWindow>(m_settings);
        return *m_window;
    }

    void send()
    {
        std::filesystem::remove(m_work + "/dtbs.xml");
        convert::Conversion conversion(m_settings, m_work, m_messages, m_clock);
        const commands::CommandContext context { m_settings, m_deployment, m_work, m_programFolder, m_messages,
            m_clock };
        commands::SendOrderCommand(context, *m_window, conversion).run();
        EXPECT_EQ(m_window->busyDepth, 0) << "the busy pointer is left on";
    }

    config::Settings m_settings;
    platform::Deployment m_deployment;
    platform::FixedClock m_clock { { 2026, 12, 8 } };
    RecordingMessages m_messages;
    std::unique_ptr<TestWindow> m_window;
};

TEST_F(SendOrderCommand, PostsTheTickedFileAndOpensTheLoginPage)
{
    addInput("a.csv");
    addInput("b.csv");
    open();
    send();

    EXPECT_EQ(m_messages.texts(), std::vector<std::string> { "Order verzonden, zie winkelwagen in browser." });
    EXPECT_EQ(m_messages.last().caption, "Upload order");
    EXPECT_EQ(m_messages.last().icon, platform::MessageIcon::Information);
    EXPECT_EQ(m_window->captions, (std::vector<std::string> { "Momentje", "Verzonden" }));
    EXPECT_EQ(m_window->busyStretches, 2) << "conversion and post";
    EXPECT_EQ(opened(), "https://" + s_belgian->hostPort() + "/nl/klant/account/login/\n");
    ASSERT_FALSE(document().empty());
    EXPECT_NE(document().find("klant42"), std::string::npos);
    EXPECT_EQ(body(*s_belgian), document());
    EXPECT_EQ(body(*s_dutch), "");
    EXPECT_TRUE(m_window->closed) << "the program ends after a post";
    EXPECT_TRUE(std::filesystem::exists(m_input + "/a.csv")) << "Bestand_del is off";
    EXPECT_EQ(m_window->refills, 0);
}

TEST_F(SendOrderCommand, StopsAtTwoTickedFilesWithoutTouchingAnything)
{
    configure({ { "Besteleenheid", "MTR" } });
    addInput("a.csv");
    addInput("b.csv");
    open().ticks = { true, true };
    std::filesystem::remove(m_program.file("lgt.dbf")); // opening the table would be reported
    send();

    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages.last().text, "Meerdere bestanden niet mogelijk");
    EXPECT_EQ(m_messages.last().caption, "Konekta");
    EXPECT_EQ(m_messages.last().icon, platform::MessageIcon::Information);
    EXPECT_TRUE(m_window->captions.empty());
    EXPECT_FALSE(m_window->closed);
    EXPECT_FALSE(std::filesystem::exists(m_work + "/dtbs.xml"));
    EXPECT_EQ(body(*s_belgian), "");
}

TEST_F(SendOrderCommand, ReportsNoDataWhenNothingWasConverted)
{
    struct Case
    {
        const char* label;
        std::map<std::string, std::string> settings;
        bool untick;
    };
    const Case cases[] = {
        { "no ticked file", {}, true },
        { "empty Schema", { { "Schema", "" } }, false },
        { "unknown Schema runs no reader", { { "Schema", "csv" } }, false },
        { "a file without lines", { { "Extentie", "*.txt" } }, false },
    };
    addInput("a.csv");
    addInput("empty.txt", "");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        m_messages.clear();
        configure(c.settings);
        open();
        if (c.untick) {
            m_window->clearTicks();
        }
        const auto ticked = m_window->tickedFiles();
        send();
        ASSERT_EQ(m_messages.size(), 1u);
        EXPECT_EQ(m_messages.last().text, "Geen data in " + (ticked.empty() ? std::string() : ticked.front()));
        EXPECT_EQ(m_messages.last().caption, "Transvo");
        EXPECT_EQ(m_messages.last().icon, platform::MessageIcon::Information);
        EXPECT_EQ(m_window->caption(), "Momentje");
        EXPECT_FALSE(m_window->closed);
        EXPECT_EQ(body(*s_belgian), "");
    }
}

TEST_F(SendOrderCommand, DeletesTheSourceOnlyAfterTheWebshopAcceptedIt)
{
    configure({ { "Bestand_del", "YES" } });
    addInput("a.csv");
    addInput("b.csv");
    open();
    send();
    EXPECT_FALSE(std::filesystem::exists(m_input + "/a.csv"));
    EXPECT_EQ(m_window->refills, 1);
    ASSERT_EQ(m_window->files.size(), 1u) << "the list is refilled";
    EXPECT_EQ(m_window->files.front().name, "b.csv");
    EXPECT_EQ(m_messages.texts(), std::vector<std::string> { "Order verzonden, zie winkelwagen in browser." });

    ASSERT_TRUE(s_belgian->control("status=500 Internal Server Error"));
    m_messages.clear();
    m_messages.setNextAnswer(true);
    open();
    send();
    EXPECT_TRUE(std::filesystem::exists(m_input + "/b.csv")) << "a refused order keeps its source";
    EXPECT_EQ(m_window->refills, 0);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages.last().kind, RecordingMessages::Kind::Question);
    EXPECT_EQ(m_messages.last().text,
        "Webshop geeft volgende melding:\nHTTP/1.1 500 Internal Server Error\n\n"
        "Druk Ja voor meer details");
    EXPECT_EQ(m_messages.last().caption, "Fout bij order verzenden");
    EXPECT_EQ(m_messages.last().icon, platform::MessageIcon::Critical);
    EXPECT_EQ(m_window->caption(), "Fout bij verzenden");
    EXPECT_EQ(opened(), "https://" + s_belgian->hostPort() + "/nl/klant/account/login/\n" + m_work + "/Page2.htm\n");
    EXPECT_TRUE(m_window->closed);
}

TEST_F(SendOrderCommand, ReportsASourceItCannotDeleteAndRefillsTheList)
{
    configure({ { "Bestand_del", "YES" } });
    addInput("a.csv");
    addInput("b.csv");
    open();
    const std::string path = m_window->tickedFiles().front();
    // Someone else takes the file away while the order is on its way.
    m_window->whenAskedForTheShop = [path]() { std::filesystem::remove(path); };
    send();
    ASSERT_EQ(m_messages.size(), 2u);
    EXPECT_EQ(m_messages.entries()[0].kind, RecordingMessages::Kind::Error);
    EXPECT_EQ(m_messages.entries()[0].text, "Bestand " + path + " niet gewist.");
    EXPECT_EQ(m_messages.entries()[1].text, "Order verzonden, zie winkelwagen in browser.");
    EXPECT_EQ(m_window->refills, 1);
    EXPECT_EQ(m_window->files.size(), 1u);
}

TEST_F(SendOrderCommand, KeepsTheSourceWhenTheWebshopCannotBeReached)
{
    configure({ { "Bestand_del", "YES" } });
    addInput("a.csv");
    m_deployment.webshopBe = "127.0.0.1:" + std::to_string(testing_support::closedLoopbackPort());
    open();
    send();
    EXPECT_TRUE(std::filesystem::exists(m_input + "/a.csv"));
    ASSERT_FALSE(m_messages.empty());
    EXPECT_EQ(m_messages.last().caption, "Fout bij order verzenden");
    EXPECT_EQ(m_messages.last().text.rfind("Webshop geeft volgende melding:\n", 0), 0u);
    EXPECT_EQ(m_messages.last().text.find("HTTP/1.1 200 OK"), std::string::npos);
    EXPECT_EQ(m_window->caption(), "Fout bij verzenden");
    EXPECT_EQ(opened(), "") << "answered No: Page2.htm stays closed";
    EXPECT_TRUE(m_window->closed);
}

TEST_F(SendOrderCommand, OpensTheLoginPageOfTheBranchAndLanguage)
{
    struct Case
    {
        const char* filiaal;
        const char* lang;
        const char* directErp;
        bool dutchHost;
        const char* path; // nullptr: no browser, the ERP message
    };
    const Case cases[] = {
        { "BEL", "FR", "0", false, "/fr/klant/account/login/" },
        { "BEL", "fr", "0", false, "/nl/klant/account/login/" },
        { "BEL", "DE", "0", false, "/nl/klant/account/login/" },
        { "NED", "FR", "0", true, "/klant/account/login/" },
        { "bel", "FR", "0", true, "/klant/account/login/" },
        { "BEL", "NL", "1", false, nullptr },
        { "NED", "NL", "", true, nullptr },
    };
    addInput("a.csv");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.filiaal) + " " + c.lang + " DirectERP " + c.directErp);
        forgetOpened();
        m_messages.clear();
        configure({ { "Filiaal", c.filiaal }, { "lang", c.lang }, { "DirectERP", c.directErp } });
        open();
        send();
        WebshopPeer& shop = c.dutchHost ? *s_dutch : *s_belgian;
        EXPECT_EQ(body(shop), document());
        EXPECT_EQ(m_window->caption(), "Verzonden");
        if (c.path) {
            EXPECT_EQ(opened(), "https://" + shop.hostPort() + c.path + "\n");
            EXPECT_EQ(m_messages.texts(), std::vector<std::string> { "Order verzonden, zie winkelwagen in browser." });
        } else {
            EXPECT_EQ(opened(), "");
            EXPECT_EQ(m_messages.texts(), std::vector<std::string> { "Order opgeladen in ERP-systeem." });
            EXPECT_EQ(m_messages.last().caption, "Upload order");
        }
    }
}

TEST_F(SendOrderCommand, PostsToTheChosenShopButOpensTheBranchLoginPage)
{
    configure({ { "Webpagina", "YES" }, { "Filiaal", "NED" } });
    addInput("a.csv");
    open().belgianChosen = true;
    send();
    EXPECT_EQ(body(*s_belgian), document());
    EXPECT_EQ(body(*s_dutch), "");
    EXPECT_EQ(opened(), "https://" + s_dutch->hostPort() + "/klant/account/login/\n");
}

TEST_F(SendOrderCommand, SaysWhenTheBrowserCannotStart)
{
    addInput("a.csv");
    setBrowserExit(3);
    open();
    send();
    EXPECT_EQ(m_messages.texts(),
        (std::vector<std::string> { "Order verzonden, zie winkelwagen in browser.", "Kan browser niet starten." }));
    EXPECT_EQ(m_messages.last().kind, RecordingMessages::Kind::Error);
}

TEST_F(SendOrderCommand, TurnsMetresIntoPipesThroughTheInstalledTable)
{
    // 3125021 comes in pipes of 3 m; 8212503 is sold by the piece (length 1), 2,5 m -> 3.
    configure({ { "Besteleenheid", "MTR" } });
    addInput("a.csv", "3125021;12\r\n8212503;2,5\r\n0000000;2,5\r\n");
    open();
    send();
    const std::string xml = document();
    EXPECT_NE(xml.find("lineNumber=\"1\" requestedDeliveryDate=\"2026-12-10\" quantity=\"4\""), std::string::npos)
        << xml;
    EXPECT_NE(xml.find("lineNumber=\"2\" requestedDeliveryDate=\"2026-12-10\" quantity=\"3\""), std::string::npos)
        << xml;
    EXPECT_NE(xml.find("lineNumber=\"3\" requestedDeliveryDate=\"2026-12-10\" quantity=\"2,5\""), std::string::npos)
        << xml;
}

TEST_F(SendOrderCommand, GoesOnWithoutTheTableWhenItIsMissing)
{
    configure({ { "Besteleenheid", "MTR" } });
    addInput("a.csv", "3125021;12\r\n");
    std::filesystem::remove(m_program.file("lgt.dbf"));
    open();
    send();
    ASSERT_GE(m_messages.size(), 2u);
    EXPECT_EQ(m_messages.entries().front().text, m_program.path() + "/lgt.dbf ERROR of database in gebruik");
    EXPECT_NE(document().find("quantity=\"12\""), std::string::npos);
}

// A name the file system holds as Latin-1 bytes is no valid UTF-8; it must reach the reader and
// the deletion unchanged, not a look-alike with replacement characters.
TEST_F(SendOrderCommand, HandlesANameThatIsNoValidUtf8)
{
    configure({ { "Bestand_del", "YES" } });
    const std::string name = "bestelling caf\xE9.csv";
    addInput(name);
    open();
    ASSERT_EQ(m_window->tickedFiles(), std::vector<std::string> { m_input + "/" + name });
    send();
    EXPECT_EQ(m_messages.texts(), std::vector<std::string> { "Order verzonden, zie winkelwagen in browser." });
    EXPECT_NE(document().find("3125021"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(m_input + "/" + name));
    EXPECT_TRUE(m_window->files.empty());
}

} // namespace

TEST_F(SendOrderCommand, KeepsTheHeaderUntilTheWebshopAcceptedTheOrder)
{
    const std::string header = "C-77\r\nREF\r\n\r\n\r\n\r\n2026-12-20\r\nNaam\r\nBouwplaats 3\r\nStraat 1\r\n"
                               "1000\r\nBrussel\r\nBE\r\n";
    writeText(m_work + "/orderkop.txt", header);
    addInput("a.csv");
    ASSERT_TRUE(s_belgian->control("status=500 Internal Server Error"));
    open();
    send();
    EXPECT_NE(body(*s_belgian).find("<Contract_number>C-77</Contract_number>"), std::string::npos);
    EXPECT_EQ(platform::readFile(m_work + "/orderkop.txt"), header) << "a refused order keeps its header";

    // The lost connection of the next try, then the try that goes through: each carries it.
    s_belgian->reset();
    m_deployment.webshopBe = "127.0.0.1:" + std::to_string(testing_support::closedLoopbackPort());
    open();
    send();
    EXPECT_EQ(platform::readFile(m_work + "/orderkop.txt"), header);
    m_deployment.webshopBe = s_belgian->hostPort();
    open();
    send();
    EXPECT_NE(body(*s_belgian).find("<DeliverTo>Bouwplaats 3</DeliverTo>"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(m_work + "/orderkop.txt"));
    EXPECT_FALSE(std::filesystem::exists(orderinfo::orderkopAsidePath(m_work))) << "nothing set aside stays";
}

TEST_F(SendOrderCommand, KeepsASourceRewrittenDuringASlowPostAndSaysSo)
{
    configure({ { "Bestand_del", "YES" } });
    addInput("a.csv");
    open();
    const std::string path = m_window->tickedFiles().front();
    ASSERT_TRUE(s_belgian->control("delay=2"));
    std::thread exporter;
    // The customer's software writes its next order under the same name once the post is out.
    m_window->whenAskedForTheShop = [&]() {
        exporter = std::thread([&]() {
            while (body(*s_belgian).empty()) {
                std::this_thread::yield();
            }
            writeText(path, "9999999;1\r\n");
        });
    };
    send();
    exporter.join();
    EXPECT_EQ(platform::readFile(path), "9999999;1\r\n");
    ASSERT_EQ(m_messages.size(), 2u);
    EXPECT_EQ(
        m_messages.entries()[0].text, "Bestand " + path + " is gewijzigd sinds het gelezen werd en is niet gewist.");
    EXPECT_EQ(m_messages.entries()[0].icon, platform::MessageIcon::Warning);
    EXPECT_EQ(m_messages.entries()[1].text, "Order verzonden, zie winkelwagen in browser.");
}

TEST_F(SendOrderCommand, RunsOneCommandAtATimePerWorkFolder)
{
    configure({ { "Bestand_del", "YES" } });
    addInput("a.csv");
    writeText(m_work + "/orderkop.txt", "C-1\r\n");
    open();
    {
        // What a second instance of the program holds while its command runs.
        platform::ExclusiveLock other;
        ASSERT_TRUE(other.lock(commands::WorkFolderLock::pathFor(m_work)));
        send();
    }
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages.last().kind, RecordingMessages::Kind::Error);
    EXPECT_EQ(m_messages.last().text,
        "Transvo verwerkt al een order of e-mail in de map " + m_work
            + " (in een ander venster). Probeer het opnieuw wanneer die klaar is.");
    EXPECT_EQ(body(*s_belgian), "");
    EXPECT_TRUE(std::filesystem::exists(m_input + "/a.csv"));
    EXPECT_TRUE(std::filesystem::exists(m_work + "/orderkop.txt"));
    EXPECT_FALSE(m_window->closed);

    m_messages.clear();
    send();
    EXPECT_EQ(m_messages.texts(), std::vector<std::string> { "Order verzonden, zie winkelwagen in browser." });
}

// Each post, accepted or refused, stays readable in the log: what went out without the password,
// what came back, and what the user was told.
TEST_F(SendOrderCommand, KeepsEveryPostInTheLogOfSentOrders)
{
    m_settings.Secret = "geheim&1";
    addInput("a.csv");
    open();
    send();
    const std::string accepted = body(*s_belgian);
    ASSERT_TRUE(s_belgian->control("status=500 Internal Server Error"));
    m_messages.setNextAnswer(false);
    open();
    send();
    const std::string refused = body(*s_belgian);

    const commands::SentOrderLog sentLog(m_work);
    const std::vector<commands::SentOrder> orders = sentLog.list();
    ASSERT_EQ(orders.size(), 2u);
    struct Expected
    {
        std::string posted, statusLine, outcome, told;
    };
    const Expected expected[] = {
        { refused, "HTTP/1.1 500 Internal Server Error", "Fout bij verzenden",
            "Webshop geeft volgende melding:\nHTTP/1.1 500 Internal Server Error\n\nDruk Ja voor meer details" },
        { accepted, "HTTP/1.1 200 OK", "Verzonden", "Order verzonden, zie winkelwagen in browser." },
    };
    for (size_t i = 0; i < orders.size(); ++i) {
        SCOPED_TRACE(expected[i].outcome);
        const commands::SentOrder& order = orders[i];
        EXPECT_EQ(order.source, m_input + "/a.csv");
        EXPECT_EQ(order.format, "CSV");
        EXPECT_EQ(order.webshop, s_belgian->hostPort());
        EXPECT_EQ(order.lines, 2u);
        EXPECT_TRUE(platform::parseDate(order.date)) << order.date;
        EXPECT_EQ(order.time.size(), 8u) << order.time;
        EXPECT_EQ(order.statusLine, expected[i].statusLine);
        EXPECT_EQ(order.outcome, expected[i].outcome);
        EXPECT_EQ(order.told, expected[i].told);

        const std::string stored = platform::readFile(commands::SentOrderLog::documentPath(order)).value_or("");
        std::string withoutPassword = expected[i].posted;
        const std::string secret = "<Secret>geheim&amp;1</Secret>";
        ASSERT_NE(withoutPassword.find(secret), std::string::npos) << withoutPassword;
        withoutPassword.replace(withoutPassword.find(secret), secret.size(), "<Secret></Secret>");
        EXPECT_EQ(stored, withoutPassword);
        const std::vector<commands::SentLine> lines = commands::sentLines(stored);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[1].lineNumber, "2");
        EXPECT_EQ(lines[1].article, "8212503");
        EXPECT_EQ(lines[1].quantity, "2,5");
        EXPECT_TRUE(testing_support::isOwnerOnly(commands::SentOrderLog::documentPath(order)));
        EXPECT_TRUE(testing_support::isOwnerOnly(commands::SentOrderLog::replyPath(order)));
    }
    EXPECT_EQ(
        platform::readFile(commands::SentOrderLog::replyPath(orders[0])), platform::readFile(m_work + "/Page2.htm"));
    EXPECT_FALSE(platform::readFile(commands::SentOrderLog::replyPath(orders[0])).value_or("").empty());
#ifndef _WIN32
    EXPECT_EQ(std::filesystem::status(sentLog.folder()).permissions(), std::filesystem::perms::owner_all);
#endif
}

TEST_F(SendOrderCommand, KeepsTheLastFiveHundredOrdersInTheLog)
{
    addInput("a.csv");
    open();
    send();
    const commands::SentOrderLog sentLog(m_work);
    ASSERT_EQ(sentLog.list().size(), 1u);
    const std::filesystem::path first = sentLog.list().front().folder;
    // 499 more as though posted after it, copied rather than posted to spare the time.
    for (int i = 2; i <= 500; ++i) {
        std::string name = first.filename().string();
        const std::string number = std::to_string(i);
        name.replace(8 - number.size(), number.size(), number);
        std::filesystem::copy(first, first.parent_path() / name);
    }
    ASSERT_EQ(sentLog.list().size(), 500u);

    ASSERT_TRUE(s_belgian->control("status=500 Internal Server Error"));
    open();
    send();
    const std::vector<commands::SentOrder> orders = sentLog.list();
    ASSERT_EQ(orders.size(), 500u);
    EXPECT_EQ(orders.front().statusLine, "HTTP/1.1 500 Internal Server Error");
    EXPECT_FALSE(std::filesystem::exists(first)) << "the oldest goes first";
    EXPECT_EQ(std::filesystem::path(orders.back().folder).filename().string().substr(0, 8), "00000002");
}

TEST_F(SendOrderCommand, ReportsALogItCannotWriteOnceAfterThePost)
{
    configure({ { "Bestand_del", "YES" } });
    addInput("a.csv");
    writeText(m_work + "/Verzonden", "a file where the log's folder belongs");
    open();
    send();
    EXPECT_FALSE(body(*s_belgian).empty());
    EXPECT_FALSE(std::filesystem::exists(m_input + "/a.csv")) << "the order went all the same";
    EXPECT_EQ(m_window->caption(), "Verzonden");
    EXPECT_TRUE(m_window->closed);
    ASSERT_EQ(m_messages.size(), 2u);
    EXPECT_EQ(m_messages.entries()[0].text, "Order verzonden, zie winkelwagen in browser.");
    EXPECT_EQ(m_messages.entries()[1].kind, RecordingMessages::Kind::Error);
    EXPECT_EQ(
        m_messages.entries()[1].text.rfind("Fout bij bewaren verzonden order in " + m_work + "/Verzonden ", 0), 0u)
        << m_messages.entries()[1].text;
    EXPECT_GT(
        m_messages.entries()[1].text.size(), ("Fout bij bewaren verzonden order in " + m_work + "/Verzonden ").size())
        << "with the system's reason";
}
