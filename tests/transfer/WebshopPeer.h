#pragma once

#include "LocalServer.h"
#include "ScopedEnv.h"
#include "transfer/HttpClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// tools/webshop.py on a free loopback port, shared by the tests of one suite: starting it costs
// more than all the requests together. The test CA is made once per build folder and shared by
// the test processes, which ctest runs side by side.
class WebshopPeer
{
public:
    explicit WebshopPeer(const std::vector<std::string>& extraArgs = {})
    {
        // A proxy the machine may be set up with must not stand between the tests and loopback.
        testing_support::setEnvironment("no_proxy", "127.0.0.1,localhost");
        testing_support::setEnvironment("NO_PROXY", "127.0.0.1,localhost");
        std::vector<std::string> args = { "--cert-dir", certFolder() };
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        m_server = std::make_unique<testing_support::LocalServer>("webshop.py", args);
    }

    bool isRunning() const { return m_server->isRunning(); }
    std::string log() const { return m_server->log(); }
    std::string hostPort() const
    {
#ifdef _WIN32
        // Schannel matches a certificate checked against our own CA by its DNS names only, so the
        // test certificate's 127.0.0.1 would not do.
        return "localhost:" + std::to_string(m_server->port());
#else
        return m_server->hostPort();
#endif
    }
    static std::string certFolder()
    {
        return TRANSVO_BUILD_DIR "/test-certs";
    }
    std::string caFile() const
    {
        return certFolder() + "/ca.pem";
    }
    std::string url(const std::string& path, const char* scheme = "https") const
    {
        return std::string(scheme) + "://" + hostPort() + path;
    }

    // Sets how the next order posts are answered (form fields of /_control); true when taken.
    bool control(const std::string& fields)
    {
        transfer::HttpClient client("test", caFile());
        return client.post(url("/_control"), {}, fields).status == 200;
    }
    void reset()
    {
        control("reset=1");
    }

    // The last order request exactly as it came off the wire.
    std::string lastRequest(const char* scheme = "https")
    {
        transfer::HttpClient client("test", caFile());
        return client.get(url("/_last", scheme)).body;
    }

private:
    std::unique_ptr<testing_support::LocalServer> m_server;
};

// Tests against one webshop for the whole suite, answering as started for every test.
class WebshopSuite : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_shop = new WebshopPeer(); }
    static void TearDownTestSuite()
    {
        delete s_shop;
        s_shop = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(s_shop->isRunning()) << s_shop->log();
        s_shop->reset();
    }

    static inline WebshopPeer* s_shop = nullptr;
};

// A request split into its parts, to compare what came off the wire.
struct WireRequest
{
    std::string requestLine;
    std::vector<std::string> headers; // "Name: value", in order
    std::string body;

    static WireRequest parse(const std::string& raw)
    {
        WireRequest request;
        const size_t end = raw.find("\r\n\r\n");
        if (end == std::string::npos) {
            return request;
        }
        size_t start = 0;
        bool first = true;
        while (start < end) {
            size_t line = raw.find("\r\n", start);
            if (line > end) {
                line = end;
            }
            std::string text = raw.substr(start, line - start);
            if (first) {
                request.requestLine = text;
                first = false;
            } else {
                request.headers.push_back(text);
            }
            start = line + 2;
        }
        request.body = raw.substr(end + 4);
        return request;
    }

    // The value of the first header with that name, the name compared without regard to case.
    std::optional<std::string> header(const std::string& name) const
    {
        for (const auto& line : headers) {
            if (line.size() > name.size() && line[name.size()] == ':'
                && std::equal(name.begin(), name.end(), line.begin(), [](char a, char b) {
                       return std::tolower(static_cast<unsigned char>(a))
                           == std::tolower(static_cast<unsigned char>(b));
                   })) {
                const size_t value = line.find_first_not_of(' ', name.size() + 1);
                return value == std::string::npos ? std::string() : line.substr(value);
            }
        }
        return std::nullopt;
    }
    // Position of the header line in the request, or -1.
    int indexOf(const std::string& line) const
    {
        for (size_t i = 0; i < headers.size(); ++i) {
            if (headers[i] == line) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
};
