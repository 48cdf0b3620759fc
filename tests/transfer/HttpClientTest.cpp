#include "WebshopPeer.h"

#include "transfer/HttpClient.h"

#include "Loopback.h"
#include "Wine.h"

#include <gtest/gtest.h>

using transfer::HttpClient;
using transfer::HttpFailure;

namespace {

const std::vector<std::string> kFormHeaders = { "Content-Type: application/x-www-form-urlencoded", "Accept: */*" };

std::string bytesOfEveryValue()
{
    std::string bytes = "bcdata=";
    for (int i = 0; i < 256; ++i) {
        bytes.push_back(static_cast<char>(i));
    }
    return bytes + "\r\n%41+&=";
}

} // namespace

using HttpClientTest = WebshopSuite;

TEST_F(HttpClientTest, PostsTheBodyBytesAndTheHeadersAsGiven)
{
    HttpClient client("VARO", s_shop->caFile());
    const std::string body = bytesOfEveryValue();
    const auto response = client.post(s_shop->url("/barcodescanner/index/xml"), kFormHeaders, body);
    ASSERT_TRUE(response.isReceived()) << response.reason;

    const auto request = WireRequest::parse(s_shop->lastRequest());
    EXPECT_EQ(request.requestLine, "POST /barcodescanner/index/xml HTTP/1.1");
    EXPECT_EQ(request.body, body);
    EXPECT_EQ(request.header("Content-Length"), std::to_string(body.size()));
    EXPECT_EQ(request.header("User-Agent"), "VARO");
    EXPECT_EQ(request.header("Host"), s_shop->hostPort());
    const int contentType = request.indexOf("Content-Type: application/x-www-form-urlencoded");
    const int accept = request.indexOf("Accept: */*");
    EXPECT_GE(contentType, 0);
    EXPECT_GT(accept, contentType);
    for (const char* absent : { "Expect", "Authorization", "Transfer-Encoding", "Accept-Encoding" }) {
        SCOPED_TRACE(absent);
        EXPECT_FALSE(request.header(absent).has_value());
    }
    int contentTypes = 0;
    for (const auto& line : request.headers) {
        contentTypes += line.rfind("Content-Type:", 0) == 0;
    }
    EXPECT_EQ(contentTypes, 1);
}

TEST_F(HttpClientTest, KeepsTheFinalHeaderBlockAndTheBody)
{
    HttpClient client("VARO", s_shop->caFile());
    const auto response = client.post(s_shop->url("/barcodescanner/index/xml"), kFormHeaders, "bcdata=<no");
    ASSERT_TRUE(response.isReceived()) << response.reason;
    EXPECT_EQ(response.status, 422);
    EXPECT_EQ(response.statusLine(), "HTTP/1.1 422 Unprocessable Entity");
    EXPECT_EQ(response.headerBlock.rfind("HTTP/1.1 422 Unprocessable Entity\r\n", 0), 0u);
    EXPECT_EQ(response.headerBlock.substr(response.headerBlock.size() - 4), "\r\n\r\n");
    EXPECT_NE(response.headerBlock.find("\r\nContent-Length: " + std::to_string(response.body.size()) + "\r\n"),
        std::string::npos);
    EXPECT_NE(response.body.find("Order geweigerd"), std::string::npos);
}

TEST_F(HttpClientTest, DropsAnInterimBlockBeforeTheFinalResponse)
{
    ASSERT_TRUE(s_shop->control("interim=1&status=200 OK"));
    HttpClient client("VARO", s_shop->caFile());
    const auto response = client.post(s_shop->url("/barcodescanner/index/xml"), kFormHeaders, "bcdata=");
    ASSERT_TRUE(response.isReceived()) << response.reason;
    EXPECT_EQ(response.statusLine(), "HTTP/1.1 200 OK");
    EXPECT_EQ(response.headerBlock.find("100 Continue"), std::string::npos);
}

TEST_F(HttpClientTest, SendsALargeBodyWithoutWaitingForContinue)
{
    HttpClient client("VARO", s_shop->caFile());
    std::string body = "bcdata=";
    body.resize(2 * 1024 * 1024 + 3, 'x');
    const auto response = client.post(s_shop->url("/barcodescanner/index/xml"), kFormHeaders, body);
    ASSERT_TRUE(response.isReceived()) << response.reason;
    EXPECT_EQ(response.status, 422);
    const auto request = WireRequest::parse(s_shop->lastRequest());
    EXPECT_FALSE(request.header("Expect").has_value());
    EXPECT_EQ(request.body, body);
}

TEST_F(HttpClientTest, ReportsWhyNothingCame)
{
    ASSERT_TRUE(s_shop->control("drop=1"));
    struct Case
    {
        const char* name;
        std::string url;
        std::string caFile;
        HttpFailure failure;
        const char* reason;
    };
    const Case cases[] = {
        { "refused", "https://127.0.0.1:" + std::to_string(testing_support::closedLoopbackPort()) + "/x",
            s_shop->caFile(), HttpFailure::ConnectionRefused, "Geen verbinding mogelijk met de server" },
        { "untrusted", s_shop->url("/barcodescanner/index/xml"), "", HttpFailure::CertificateRefused,
            "Certificaat van de server geweigerd" },
        { "closed without answer", s_shop->url("/barcodescanner/index/xml"), s_shop->caFile(),
            HttpFailure::ReceiveFailed, "Antwoord van de server niet volledig ontvangen" },
        { "unreadable CA file", s_shop->url("/barcodescanner/index/xml"), "/nonexistent/ca.pem", HttpFailure::TlsFailed,
            "/nonexistent/ca.pem" },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        if (test.caFile.empty()
            && testing_support::skippedUnderWine(test.name, testing_support::kWineTrustsAnyServer)) {
            continue;
        }
        HttpClient client("VARO", test.caFile);
        const auto response = client.post(test.url, kFormHeaders, "bcdata=");
        EXPECT_FALSE(response.isReceived());
        EXPECT_EQ(response.failure, test.failure) << response.reason;
        EXPECT_NE(response.reason.find(test.reason), std::string::npos) << response.reason;
        EXPECT_TRUE(response.headerBlock.empty());
        EXPECT_TRUE(response.statusLine().empty());
    }
}

TEST_F(HttpClientTest, GivesUpOnASlowServerAtTheTimeLimit)
{
    ASSERT_TRUE(s_shop->control("delay=3"));
    HttpClient client("VARO", s_shop->caFile());
    client.setTimeouts({ std::chrono::milliseconds(2000), std::chrono::milliseconds(400) });
    const auto started = std::chrono::steady_clock::now();
    const auto response = client.post(s_shop->url("/barcodescanner/index/xml"), kFormHeaders, "bcdata=");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_EQ(response.failure, HttpFailure::TimedOut) << response.reason;
    EXPECT_NE(response.reason.find(s_shop->hostPort()), std::string::npos) << response.reason;
}

TEST_F(HttpClientTest, ServesOneRequestAfterAnother)
{
    HttpClient client("VARO", s_shop->caFile());
    for (const char* body : { "bcdata=1", "bcdata=22", "bcdata=333" }) {
        SCOPED_TRACE(body);
        const auto response = client.post(s_shop->url("/barcodescanner/index/xml"), kFormHeaders, body);
        ASSERT_TRUE(response.isReceived()) << response.reason;
        EXPECT_EQ(WireRequest::parse(s_shop->lastRequest()).body, body);
    }
    const auto page = client.get(s_shop->url("/klant/account/login/"));
    ASSERT_TRUE(page.isReceived()) << page.reason;
    EXPECT_EQ(WireRequest::parse(s_shop->lastRequest()).requestLine, "GET /klant/account/login/ HTTP/1.1");
}

TEST(HttpClientGet, FetchesOverPlainHttpWithTheGivenAgent)
{
    WebshopPeer server({ "--plain" });
    ASSERT_TRUE(server.isRunning()) << server.log();
    HttpClient client("HTTP");
    const auto page = client.get(server.url("/fr/klant/account/login/", "http"));
    ASSERT_TRUE(page.isReceived()) << page.reason;
    EXPECT_EQ(page.status, 200);
    EXPECT_NE(page.body.find("Connexion"), std::string::npos);

    const auto request = WireRequest::parse(server.lastRequest("http"));
    EXPECT_EQ(request.requestLine, "GET /fr/klant/account/login/ HTTP/1.1");
    EXPECT_EQ(request.header("User-Agent"), "HTTP");
    EXPECT_TRUE(request.body.empty());

    const auto missing = client.get(server.url("/be/transvo/lgt.csv", "http"));
    EXPECT_TRUE(missing.isReceived());
    EXPECT_EQ(missing.status, 404);
}

TEST(HttpClientTls, RefusesACertificateForAnotherName)
{
    // Trusted CA, but the certificate names localhost and 127.0.0.1 only.
    WebshopPeer other({ "--host", "127.0.0.2" });
    ASSERT_TRUE(other.isRunning()) << other.log();
    const std::string url = "https://127.0.0.2:" + other.hostPort().substr(other.hostPort().rfind(':') + 1) + "/";
    HttpClient client("VARO", other.caFile());
    const auto response = client.get(url);
    EXPECT_EQ(response.failure, HttpFailure::CertificateRefused) << response.reason;
    EXPECT_TRUE(response.body.empty());
}
