#include "OwnerOnly.h"
#include "RecordingMessages.h"
#include "TempDir.h"
#include "WebshopPeer.h"
#include "Wine.h"

#include "platform/Files.h"
#include "transfer/OrderUpload.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

using testing_support::RecordingMessages;
using testing_support::TempDir;
using transfer::OrderUpload;

namespace {

const std::string kIntro = "Webshop geeft volgende melding:\n";
const std::string kNoAnswer = kIntro + "Geen antwoord van de webshop ontvangen.\n";

std::string sampleOrder()
{
    return platform::readFile(TRANSVO_TEST_DATA "/transfer/dtbs.xml").value_or("");
}

// An order document of at least the given size: the sample's lines repeated.
std::string orderOfSize(size_t bytes)
{
    const std::string sample = sampleOrder();
    const size_t firstItem = sample.find("    <ItemOut");
    const size_t end = sample.find("    </OrderRequest>");
    const std::string item = "    <ItemOut lineNumber=\"1\" requestedDeliveryDate=\"2026-12-10\" quantity=\"1\">\r\n"
                             "      <ItemID>\r\n        <SupplierPartID>1234567</SupplierPartID>\r\n      </ItemID>\r\n"
                             "    </ItemOut>\r\n";
    std::string order = sample.substr(0, firstItem);
    while (order.size() < bytes) {
        order += item;
    }
    return order + sample.substr(end);
}

// Sets or clears environment variables for one test and puts the old values back.
class ScopedEnvironment
{
public:
    ScopedEnvironment(std::initializer_list<std::pair<const char*, const char*>> values)
    {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name);
            m_saved.push_back({ name, old ? std::optional<std::string>(old) : std::nullopt });
            testing_support::setEnvironment(name, value);
        }
    }
    ~ScopedEnvironment()
    {
        for (const auto& [name, value] : m_saved) {
            testing_support::setEnvironment(name.c_str(), value ? value->c_str() : nullptr);
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

std::string fileText(const std::string& path)
{
    return platform::readFile(path).value_or("<missing>");
}

} // namespace

class OrderUploadTest : public WebshopSuite
{
protected:
    void SetUp() override
    {
        WebshopSuite::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        m_settings.Filiaal = "BEL";
        m_deployment.webshopBe = s_shop->hostPort();
        m_deployment.webshopNl = "127.0.0.1:1"; // nobody listens: an order sent there never arrives
        m_deployment.tlsCaFile = s_shop->caFile();
        writeOrder(sampleOrder());
    }

    void writeOrder(const std::string& bytes) { ASSERT_TRUE(platform::replaceFile(upload().documentPath(), bytes)); }

    OrderUpload upload()
    {
        OrderUpload upload(m_settings, m_deployment, m_work.path(), m_messages);
        upload.setTimeouts(m_timeouts);
        return upload;
    }

    // Posts the order and returns the reply text.
    std::string post(bool belgianPressed = false)
    {
        OrderUpload sender = upload();
        EXPECT_TRUE(sender.ORDER_VERZENDEN(belgianPressed));
        return sender.CHECK_UPLOAD();
    }

    std::string header2() const { return fileText(m_work.file("Header2.txt")); }
    std::string page2() const { return fileText(m_work.file("Page2.htm")); }

    TempDir m_work;
    config::Settings m_settings;
    platform::Deployment m_deployment;
    RecordingMessages m_messages;
    transfer::HttpTimeouts m_timeouts { std::chrono::milliseconds(5000), std::chrono::milliseconds(10000) };
};

TEST_F(OrderUploadTest, PostsTheDocumentAsItIsAndAcceptsTheWebshopsOk)
{
    EXPECT_EQ(post(), "");
    EXPECT_TRUE(m_messages.empty());

    const auto request = WireRequest::parse(s_shop->lastRequest());
    EXPECT_EQ(request.requestLine, "POST /barcodescanner/index/xml HTTP/1.1");
    EXPECT_EQ(request.body, sampleOrder());
    EXPECT_EQ(request.header("Content-Length"), std::to_string(sampleOrder().size()));
    EXPECT_EQ(request.header("User-Agent"), "VARO");
    EXPECT_GT(request.indexOf("Accept: */*"), request.indexOf("Content-Type: application/x-www-form-urlencoded"));
    EXPECT_GE(request.indexOf("Content-Type: application/x-www-form-urlencoded"), 0);
    EXPECT_FALSE(request.header("Authorization").has_value());

    EXPECT_EQ(header2().rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    EXPECT_EQ(page2(), "<html><body><p>Order ontvangen: 2 regels.</p></body></html>\n");
    // The reply may echo the order with its password.
    EXPECT_TRUE(testing_support::isOwnerOnly(m_work.file("Header2.txt")));
    EXPECT_TRUE(testing_support::isOwnerOnly(m_work.file("Page2.htm")));
}

TEST_F(OrderUploadTest, TakesOnlyTheExactOkStatusLineAsAcceptance)
{
    struct Case
    {
        const char* control;
        std::string reply;
    };
    const Case cases[] = {
        { "status=500 Internal Server Error", kIntro + "HTTP/1.1 500 Internal Server Error\n\n" },
        { "status=200 Okay", kIntro + "HTTP/1.1 200 Okay\n\n" },
        { "status=200 ok", kIntro + "HTTP/1.1 200 ok\n\n" },
        { "status=200 OK&version=HTTP/1.0", kIntro + "HTTP/1.0 200 OK\n\n" },
        { "status=302 Found", kIntro + "HTTP/1.1 302 Found\n\n" },
        { "status=200 OK&interim=1", "" },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.control);
        s_shop->reset();
        ASSERT_TRUE(s_shop->control(test.control));
        EXPECT_EQ(post(), test.reply);
    }
}

TEST_F(OrderUploadTest, PassesTheWebshopsRefusalOn)
{
    writeOrder("bcdata=<?xml version=\"1.0\"?><cXML><Header/></cXML>\r\n");
    EXPECT_EQ(post(), kIntro + "HTTP/1.1 422 Unprocessable Entity\n\n");
    EXPECT_NE(page2().find("Order geweigerd: no credentials"), std::string::npos);
}

TEST_F(OrderUploadTest, ReplacesTheReplyFilesOfTheLastPost)
{
    ASSERT_TRUE(s_shop->control("status=500 Internal Server Error"));
    post();
    const std::string firstHeader = header2();
    EXPECT_EQ(firstHeader.rfind("HTTP/1.1 500 Internal Server Error\r\n", 0), 0u);
    s_shop->reset();

    EXPECT_EQ(post(), "");
    EXPECT_EQ(header2().rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    EXPECT_EQ(header2().find("500"), std::string::npos);
    EXPECT_EQ(header2().find("HTTP/", 1), std::string::npos);
    EXPECT_EQ(header2().find("\r\n\r\n"), header2().size() - 4);
    EXPECT_EQ(page2(), "<html><body><p>Order ontvangen: 2 regels.</p></body></html>\n");
}

TEST_F(OrderUploadTest, TurnsAPostWithoutAnswerIntoAFailureWithItsReason)
{
    struct Case
    {
        const char* name;
        const char* control;
        std::string caFile;
        bool belgianPressed;
        const char* reason;
        std::chrono::milliseconds whole { 10000 };
    };
    const Case cases[] = {
        { "refused connection", "", s_shop->caFile(), false, "Geen verbinding mogelijk" },
        { "untrusted certificate", "", "", true, "Certificaat van de server geweigerd" },
        { "slow server", "delay=3", s_shop->caFile(), true, "tijdslimiet", std::chrono::milliseconds(700) },
        { "closed without answer", "drop=1", s_shop->caFile(), true, "niet volledig ontvangen" },
        { "closed inside the header block", "cut=1", s_shop->caFile(), true, "niet volledig ontvangen" },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        if (test.caFile.empty()
            && testing_support::skippedUnderWine(test.name, testing_support::kWineTrustsAnyServer)) {
            continue;
        }
        s_shop->reset();
        ASSERT_TRUE(s_shop->control(test.control));
        // The reply of an earlier, accepted post must not speak for this one.
        ASSERT_TRUE(platform::replaceFile(m_work.file("Header2.txt"), "HTTP/1.1 200 OK\r\n\r\n"));
        ASSERT_TRUE(platform::replaceFile(m_work.file("Page2.htm"), "old page"));
        m_settings.Webpagina = "YES";
        m_deployment.tlsCaFile = test.caFile;
        m_timeouts.whole = test.whole;

        const std::string reply = post(test.belgianPressed);
        EXPECT_EQ(reply.rfind(kNoAnswer, 0), 0u) << reply;
        EXPECT_NE(reply.find(test.reason), std::string::npos) << reply;
        EXPECT_EQ(reply.substr(reply.size() - 2), "\n\n");
        EXPECT_EQ(header2(), "");
        EXPECT_EQ(page2(), "");
        EXPECT_TRUE(m_messages.empty());
    }
}

TEST_F(OrderUploadTest, SendsTheOrderToTheWebshopTheSettingsChoose)
{
    struct Case
    {
        const char* webpagina;
        const char* filiaal;
        bool belgianPressed;
        bool arrives; // the Belgian host is the test webshop, the Dutch one is nobody
    };
    const Case cases[] = {
        { "YES", "NED", true, true },
        { "YES", "BEL", false, false },
        { "NO", "BEL", false, true },
        { "NO", "NED", true, false },
        { "yes", "BEL", false, true },
        { "", "bel", true, false },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(std::string(test.webpagina) + " " + test.filiaal + (test.belgianPressed ? " BE" : " NL"));
        m_settings.Webpagina = test.webpagina;
        m_settings.Filiaal = test.filiaal;
        EXPECT_EQ(OrderUpload::webshopFor(m_settings, m_deployment, test.belgianPressed),
            test.arrives ? m_deployment.webshopBe : m_deployment.webshopNl);
        const std::string reply = post(test.belgianPressed);
        EXPECT_EQ(reply.empty(), test.arrives) << reply;
    }
}

TEST_F(OrderUploadTest, GoesThroughTheSystemProxyAndKeepsTheWebshopsReply)
{
    testing_support::LocalServer proxy("connectproxy.py", {});
    ASSERT_TRUE(proxy.isRunning()) << proxy.log();
    const std::string address = "http://" + proxy.hostPort();
#ifdef _WIN32
    // Windows' variable names ignore case: one name stands for both spellings.
    const ScopedEnvironment environment { { "https_proxy", address.c_str() }, { "all_proxy", nullptr },
        { "no_proxy", nullptr } };
#else
    const ScopedEnvironment environment { { "https_proxy", address.c_str() }, { "HTTPS_PROXY", nullptr },
        { "all_proxy", nullptr }, { "ALL_PROXY", nullptr }, { "no_proxy", nullptr }, { "NO_PROXY", nullptr } };
#endif

    // The proxy's own "200 Connection established" must not pass for the webshop's answer.
    EXPECT_EQ(post(), "");
    EXPECT_EQ(header2().rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << header2();
    EXPECT_EQ(header2().find("Connection established"), std::string::npos);
    EXPECT_NE(proxy.log().find("CONNECT " + s_shop->hostPort()), std::string::npos) << proxy.log();

    ASSERT_TRUE(s_shop->control("status=503 Service Unavailable"));
    EXPECT_EQ(post(), kIntro + "HTTP/1.1 503 Service Unavailable\n\n");
}

TEST_F(OrderUploadTest, PostsALargeOrderInOneGo)
{
    const std::string order = orderOfSize(2 * 1024 * 1024);
    writeOrder(order);
    EXPECT_EQ(post(), "");
    const auto request = WireRequest::parse(s_shop->lastRequest());
    EXPECT_FALSE(request.header("Expect").has_value());
    EXPECT_EQ(request.body.size(), order.size());
    EXPECT_TRUE(request.body == order);
    EXPECT_EQ(header2().rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    EXPECT_NE(page2().find("Order ontvangen"), std::string::npos);
}

TEST_F(OrderUploadTest, ReportsAMissingDocumentWithoutPosting)
{
    std::filesystem::remove(upload().documentPath());
    const std::string reply = post();
    EXPECT_EQ(reply.rfind(kNoAnswer, 0), 0u) << reply;
    EXPECT_NE(reply.find("dtbs.xml kan niet gelezen worden"), std::string::npos) << reply;
    EXPECT_EQ(s_shop->lastRequest(), "no order received yet\n");
}

TEST_F(OrderUploadTest, JudgesTheReplyJustReceivedWhenHeader2CannotBeReplaced)
{
    // A folder in its place makes the rename fail; the reply is the 500 just received, not a guess.
    std::filesystem::create_directory(m_work.file("Header2.txt"));
    ASSERT_TRUE(s_shop->control("status=500 Internal Server Error"));
    EXPECT_EQ(post(), kIntro + "HTTP/1.1 500 Internal Server Error\n\n");
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages.last().text.rfind("Fout bij aanmaken bestand " + m_work.file("Header2.txt") + " ", 0), 0u);
}

TEST(CheckUpload, ReadsTheStatusLineFromHeader2)
{
    struct Case
    {
        const char* name;
        std::optional<std::string> header2;
        std::string reply;
    };
    const Case cases[] = {
        { "ok", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", "" },
        { "ok without line end", "HTTP/1.1 200 OK", "" },
        { "ok with LF only", "HTTP/1.1 200 OK\nServer: x\n", "" },
        { "trailing blank", "HTTP/1.1 200 OK \r\n", kIntro + "HTTP/1.1 200 OK \n\n" },
        { "not found", "HTTP/1.1 404 Not Found\r\n\r\n", kIntro + "HTTP/1.1 404 Not Found\n\n" },
        { "empty file", "", kIntro + "Geen antwoord van de webshop ontvangen.\n\n" },
        { "no file", std::nullopt, kIntro + "Geen antwoord van de webshop ontvangen.\n\n" },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        TempDir work;
        if (test.header2) {
            ASSERT_TRUE(platform::replaceFile(work.file("Header2.txt"), *test.header2));
        }
        config::Settings settings;
        platform::Deployment deployment;
        RecordingMessages messages;
        const OrderUpload upload(settings, deployment, work.path(), messages);
        EXPECT_EQ(upload.CHECK_UPLOAD(), test.reply);
        EXPECT_TRUE(messages.empty());
    }
}
