#include "commands/IcmMailCommand.h"

#include "Loopback.h"
#include "RecordingMessages.h"
#include "SmtpPeer.h"
#include "TempDir.h"
#include "TestWindow.h"

#include "platform/Files.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

using testing_support::RecordingMessages;
using testing_support::SmtpPeer;

namespace {

// Records like RecordingMessages and lets a test act while a message box is open.
class OpenBoxes final : public platform::Messages
{
public:
    void error(const std::string& text) override { recorded.error(text); }
    void message(const std::string& text, const std::string& caption, platform::MessageIcon icon) override
    {
        recorded.message(text, caption, icon);
        if (whileOpen) {
            std::function<void()> act = std::move(whileOpen);
            act();
        }
    }
    bool question(const std::string& text, const std::string& caption, platform::MessageIcon icon) override
    {
        return recorded.question(text, caption, icon);
    }

    RecordingMessages recorded;
    std::function<void()> whileOpen; // runs once, in the next message box
};

class IcmMailCommand : public ::testing::Test
{
protected:
    IcmMailCommand()
    {
        std::filesystem::create_directories(m_input);
        m_settings.Schema = "ICM";
        m_settings.ICM = "ML";
        m_settings.ICM_email = "inkoop@klant.test";
        m_settings.ICM_naam = "Bouwbedrijf J\xC3\xBCrgen";
        m_settings.MapIn = m_input;
        m_settings.Extentie = "*.icm";
        m_deployment.icmMailbox = "icm@varo.test";
    }

    // Five ICM files a to e, each with bytes of its own, CR LF and NUL among them.
    void addFiles()
    {
        for (const char name : std::string("abcde")) {
            std::string bytes = "ICM 1.0\r\n" + std::string(1, name) + std::string(3, '\0') + "\r\n.\r\n\xFF";
            ASSERT_TRUE(platform::replaceFile(path(name), bytes));
        }
    }
    std::string path(char name) const { return platform::joinPath(m_input, std::string(1, name) + ".icm"); }

    TestWindow& open(const std::vector<bool>& ticks)
    {
        m_window = std::make_unique<TestWindow>(m_settings);
        m_window->ticks = ticks;
        return *m_window;
    }

    void mail(const std::string& server)
    {
        m_settings.ICM_remote = server;
        const std::string work = m_home.path();
        const platform::SystemClock clock;
        const commands::CommandContext context { m_settings, m_deployment, work, work, m_messages, clock };
        commands::IcmMailCommand(context, *m_window).run();
        EXPECT_EQ(m_window->busyDepth, 0) << "the busy pointer is left on";
    }

    const RecordingMessages& messages() const { return m_messages.recorded; }

    testing_support::TempDir m_home;
    const std::string m_input = m_home.file("in");
    config::Settings m_settings;
    platform::Deployment m_deployment;
    OpenBoxes m_messages;
    std::unique_ptr<TestWindow> m_window;
};

const std::vector<bool> kSecondAndFourth = { false, true, false, true, false };

} // namespace

TEST_F(IcmMailCommand, MailsTheTickedFilesInListOrderAndDeletesThemWhenAsked)
{
    for (const char* deletes : { "YES", "NO" }) {
        SCOPED_TRACE(deletes);
        m_settings.Bestand_del = deletes;
        addFiles();
        const std::string b = platform::readFile(path('b')).value();
        const std::string d = platform::readFile(path('d')).value();
        SmtpPeer server;
        ASSERT_TRUE(server.isRunning()) << server.log();
        open(kSecondAndFourth);
        mail(server.hostPort());

        ASSERT_EQ(messages().texts(), std::vector<std::string> { "2 bestand(en) verzonden naar VARO" });
        EXPECT_EQ(messages().last().caption, "ICM_mail");
        EXPECT_EQ(messages().last().icon, platform::MessageIcon::Information);
        ASSERT_EQ(server.messageCount(), 1);
        EXPECT_EQ(server.values(1, "rcpt-to"), std::vector<std::string> { "icm@varo.test" });
        EXPECT_EQ(server.value(1, "from-name"), m_settings.ICM_naam);
        EXPECT_EQ(server.value(1, "from-address"), "inkoop@klant.test");
        EXPECT_EQ(server.value(1, "subject"), "ICM-bestanden");
        EXPECT_EQ(server.value(1, "body"), "ICM-bestand(en) in bijlage.");
        EXPECT_EQ(server.values(1, "attachment"), (std::vector<std::string> { "b.icm", "d.icm" }));
        EXPECT_TRUE(server.attachment(1, 1) == b);
        EXPECT_TRUE(server.attachment(1, 2) == d);
        EXPECT_EQ(m_window->busyStretches, 1);
        EXPECT_EQ(m_window->refills, 1);
        const bool deleted = std::string(deletes) == "YES";
        EXPECT_EQ(m_window->files.size(), deleted ? 3u : 5u);
        EXPECT_EQ(m_window->ticks, std::vector<bool>(m_window->files.size(), false))
            << "a second press would mail a ticked file again";
        for (const char name : std::string("abcde")) {
            const bool sent = name == 'b' || name == 'd';
            EXPECT_EQ(std::filesystem::exists(path(name)), !(sent && deleted)) << name;
        }
        m_messages.recorded.clear();
    }
}

TEST_F(IcmMailCommand, SaysSoWhenNoFileIsTicked)
{
    addFiles();
    SmtpPeer server;
    ASSERT_TRUE(server.isRunning()) << server.log();
    open({ false, false, false, false, false });
    mail(server.hostPort());

    ASSERT_EQ(messages().texts(), std::vector<std::string> { "Geen bestanden in selectie." });
    EXPECT_EQ(messages().last().caption, "ICM_mail");
    EXPECT_EQ(messages().last().icon, platform::MessageIcon::Information);
    EXPECT_EQ(server.commands(), "") << "nothing is sent";
    EXPECT_EQ(m_window->refills, 0);
}

TEST_F(IcmMailCommand, KeepsEveryFileWhenTheMailFails)
{
    m_settings.Bestand_del = "YES";
    addFiles();
    for (const char* mode : { "refuse-recipient", "refuse-data", "closed port" }) {
        SCOPED_TRACE(mode);
        SmtpPeer server(std::string(mode) == "closed port" ? "accept" : mode);
        ASSERT_TRUE(server.isRunning()) << server.log();
        open(kSecondAndFourth);
        mail(std::string(mode) == "closed port" ? "127.0.0.1:" + std::to_string(testing_support::closedLoopbackPort())
                                                : server.hostPort());

        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages().last().kind, RecordingMessages::Kind::Error);
        EXPECT_EQ(messages().last().text, "ERROR mail niet verzonden.");
        EXPECT_EQ(server.messageCount(), 0);
        EXPECT_EQ(m_window->ticks, std::vector<bool>(5, false));
        EXPECT_EQ(m_window->refills, 0);
        for (const char name : std::string("abcde")) {
            EXPECT_TRUE(std::filesystem::exists(path(name))) << name;
        }
        m_messages.recorded.clear();
    }
}

TEST_F(IcmMailCommand, ReportsEachFileItCannotDeleteAndGoesOn)
{
    m_settings.Bestand_del = "YES";
    addFiles();
    SmtpPeer server;
    ASSERT_TRUE(server.isRunning()) << server.log();
    open({ true, true, false, true, false });
    m_messages.whileOpen = [this, &server]() {
        // Root may delete any file, so the file becomes a folder with something in it.
        std::filesystem::remove(path('b'));
        std::filesystem::create_directories(path('b'));
        platform::replaceFile(path('b') + "/keep", "x");
        // A second click while the confirmation is open does nothing.
        mail(server.hostPort());
    };
    mail(server.hostPort());

    EXPECT_EQ(
        messages().texts(), (std::vector<std::string> { "3 bestand(en) verzonden naar VARO", "Bestand niet gewist." }));
    EXPECT_EQ(messages().last().kind, RecordingMessages::Kind::Error);
    EXPECT_EQ(server.messageCount(), 1);
    EXPECT_FALSE(std::filesystem::exists(path('a')));
    EXPECT_TRUE(std::filesystem::exists(path('b') + "/keep"));
    EXPECT_FALSE(std::filesystem::exists(path('d')));
    EXPECT_EQ(m_window->refills, 1);
}

TEST_F(IcmMailCommand, KeepsAFileWrittenAnewAfterItWasMailed)
{
    m_settings.Bestand_del = "YES";
    addFiles();
    SmtpPeer server;
    ASSERT_TRUE(server.isRunning()) << server.log();
    open(kSecondAndFourth);
    // The customer's software writes its next order under a mailed name before the files go.
    m_messages.whileOpen = [this]() { ASSERT_TRUE(platform::replaceFile(path('d'), "ICM 1.0\r\nnext\r\n")); };
    mail(server.hostPort());

    EXPECT_FALSE(std::filesystem::exists(path('b')));
    EXPECT_EQ(platform::readFile(path('d')), "ICM 1.0\r\nnext\r\n");
    EXPECT_EQ(messages().texts(),
        (std::vector<std::string> { "2 bestand(en) verzonden naar VARO",
            "Bestand " + path('d') + " is gewijzigd sinds het verzonden werd en is niet gewist." }));
    EXPECT_EQ(messages().last().icon, platform::MessageIcon::Warning);
}
