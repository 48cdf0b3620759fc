#include "Loopback.h"
#include "SmtpPeer.h"
#include "TempDir.h"

#include "platform/Files.h"
#include "transfer/MYSMTP.h"
#include "transfer/SENDMAIL.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using testing_support::SmtpPeer;
using testing_support::TempDir;
using transfer::SENDMAIL;

namespace {

const std::string kSubject = "ICM-bestanden";
const std::string kBody = "ICM-bestand(en) in bijlage.";
const std::string kMailbox = "orders@varo.test";

// Every byte value, line ends of every kind and a line holding only a dot, which SMTP would
// take for the end of the data unless it is escaped.
std::string awkwardBytes()
{
    std::string bytes = "ICM 1.0\r\n.\r\n..\r\nbare LF\nbare CR\rNUL";
    bytes.push_back('\0');
    for (int i = 0; i < 256; ++i) {
        bytes.push_back(static_cast<char>(i));
    }
    return bytes + "\r\n.";
}

std::string randomBytes(size_t size)
{
    std::mt19937 random(12);
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random());
    }
    return bytes;
}

bool sendFrom(const std::string& server, const std::string& name, const std::vector<std::string>* files,
    const std::string& subject = kSubject)
{
    return SENDMAIL(server, subject, kMailbox, "", kBody, "inkoop@klant.test", files, name);
}

std::string repeated(const std::string& text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

class SendMail : public ::testing::Test
{
protected:
    std::vector<std::string> writeFiles(const std::vector<std::pair<std::string, std::string>>& files)
    {
        std::vector<std::string> paths;
        for (const auto& [name, bytes] : files) {
            paths.push_back(m_folder.file(name));
            EXPECT_TRUE(platform::replaceFile(paths.back(), bytes));
        }
        return paths;
    }

    TempDir m_folder;
};

} // namespace

TEST_F(SendMail, SendsTheFilesAsAttachmentsOfOneMessage)
{
    SmtpPeer server;
    ASSERT_TRUE(server.isRunning()) << server.log();
    const std::vector<std::pair<std::string, std::string>> files
        = { { "ORDER 1.ICM", awkwardBytes() }, { "bestelling-\xC3\xA9\xC3\xA9n.icm", randomBytes(100'000) } };
    const std::vector<std::string> paths = writeFiles(files);
    const std::string name = "J\xC3\xBCrgen \xC3\x96zt\xC3\xBCrk"; // Jürgen Öztürk

    ASSERT_TRUE(sendFrom(server.hostPort(), name, &paths)) << server.log();

    ASSERT_EQ(server.messageCount(), 1);
    EXPECT_EQ(server.commands(), "EHLO\nMAIL\nRCPT\nDATA\nQUIT\n");
    EXPECT_EQ(server.values(1, "defect"), std::vector<std::string>());
    EXPECT_EQ(server.value(1, "mail-from"), "inkoop@klant.test");
    EXPECT_EQ(server.values(1, "rcpt-to"), std::vector<std::string> { kMailbox });
    EXPECT_EQ(server.value(1, "from-name"), name);
    EXPECT_EQ(server.value(1, "from-address"), "inkoop@klant.test");
    EXPECT_EQ(server.value(1, "to"), kMailbox);
    EXPECT_EQ(server.value(1, "subject"), kSubject);
    EXPECT_EQ(server.value(1, "date-parsed"), "yes");
    EXPECT_EQ(server.value(1, "message-id").find('@') != std::string::npos, true);
    EXPECT_EQ(server.value(1, "mime-version"), "1.0");
    EXPECT_EQ(server.value(1, "content-type"), "multipart/mixed");
    EXPECT_EQ(server.value(1, "body"), kBody);
    ASSERT_EQ(server.values(1, "attachment"), (std::vector<std::string> { files[0].first, files[1].first }));
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(files[i].first);
        EXPECT_TRUE(server.attachment(1, i + 1) == files[i].second);
    }
    // The raw message stays within what every mail system carries.
    const std::string raw = server.raw(1);
    for (const unsigned char c : raw) {
        ASSERT_TRUE(c == '\r' || c == '\n' || c == '\t' || (c >= 0x20 && c < 0x7F)) << int(c);
    }
}

TEST_F(SendMail, NamesAndSubjectsArriveAsTyped)
{
    SmtpPeer server;
    ASSERT_TRUE(server.isRunning()) << server.log();
    const std::string names[] = {
        "Bouwbedrijf Noord",
        "Bouw & Co \"Noord\", afd. <inkoop>",
        "Piet\r\nBcc: stiekem@elders.test",
        std::string(90, 'x') + " \xE2\x82\xAC " + repeated("\xC3\xA9", 60),
        "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E" + std::string(40, 'a')
            + "\xF0\x9F\x94\xA7\xF0\x9F\x94\xA7\xF0\x9F\x94\xA7",
    };
    int sent = 0;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(sendFrom(server.hostPort(), name, nullptr, name)) << server.log();
        ++sent;
        ASSERT_EQ(server.messageCount(), sent);
        std::string shown = name;
        std::replace_if(
            shown.begin(), shown.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        EXPECT_EQ(server.value(sent, "from-name"), shown);
        EXPECT_EQ(server.value(sent, "subject"), shown);
        EXPECT_EQ(server.values(sent, "bcc"), std::vector<std::string>());
        EXPECT_EQ(server.values(sent, "rcpt-to"), std::vector<std::string> { kMailbox });
        EXPECT_EQ(server.values(sent, "attachment"), std::vector<std::string>());
    }
}

TEST_F(SendMail, FailsUnlessTheServerAcceptedTheMessage)
{
    const std::vector<std::string> paths = writeFiles({ { "ORDER.ICM", "ICM 1.0\r\n" } });
    const std::vector<std::string> missing = { paths[0], m_folder.file("weg.icm") };
    struct Case
    {
        const char* what;
        const char* mode;
        const std::vector<std::string>* files;
        const char* server; // instead of the test server's address
    };
    const Case cases[] = {
        { "recipient refused", "refuse-recipient", &paths, nullptr },
        { "message refused after the data", "refuse-data", &paths, nullptr },
        { "server never answers", "silent", &paths, nullptr },
        { "server stops answering after the data", "silent-after-data", &paths, nullptr },
        { "an attachment cannot be read", "accept", &missing, nullptr },
        { "nobody listens", "accept", &paths, "closed" },
        { "no server given", "accept", &paths, "" },
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        SmtpPeer server(test.mode);
        ASSERT_TRUE(server.isRunning()) << server.log();
        std::string address = server.hostPort();
        if (test.server) {
            address = *test.server ? "127.0.0.1:" + std::to_string(testing_support::closedLoopbackPort()) : test.server;
        }
        EXPECT_FALSE(sendFrom(address, "Piet", test.files));
        EXPECT_EQ(server.messageCount(), 0);
    }
}

TEST(SmtpConnectionTest, ReadsTheGreetingAndTheServersAddress)
{
    SmtpPeer server("accept", "smtp.varo.test Welkom bij VARO");
    ASSERT_TRUE(server.isRunning()) << server.log();
    transfer::MYSMTP client;
    // By name, so the address shown is the one it resolved to, and with the spaces of a sloppy
    // typist.
    client.setRemoteHost(" localhost:" + server.hostPort().substr(server.hostPort().find(':') + 1) + " ");
    ASSERT_TRUE(client.connect()) << server.log();
    EXPECT_EQ(client.reply(), "220 smtp.varo.test Welkom bij VARO");
    EXPECT_EQ(client.remoteAddress(), "127.0.0.1");
    client.disconnect();
    EXPECT_EQ(server.commands(), "QUIT\n");
}

TEST(SmtpConnectionTest, FailsWithoutAGreeting)
{
    SmtpPeer silent("silent");
    ASSERT_TRUE(silent.isRunning()) << silent.log();
    const std::string hosts[] = { "", "127.0.0.1:" + std::to_string(testing_support::closedLoopbackPort()),
        silent.hostPort(), "127.0.0.1/pad", "iemand@127.0.0.1" };
    for (const std::string& host : hosts) {
        SCOPED_TRACE(host);
        transfer::MYSMTP client;
        client.setRemoteHost(host);
        client.setTimeout(std::chrono::milliseconds(1000));
        EXPECT_FALSE(client.connect());
        EXPECT_EQ(client.reply(), "");
        EXPECT_EQ(client.remoteAddress(), "");
    }
}
