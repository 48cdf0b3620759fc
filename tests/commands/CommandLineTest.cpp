#include "RecordingMessages.h"
#include "TempDir.h"

#include "commands/OrderPreview.h"
#include "config/ConfigReader.h"
#include "config/ConfigValues.h"
#include "config/ConfigWriter.h"
#include "platform/Deployment.h"
#include "platform/Files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace {

// The real program from a shell without a display, as an integrator's script runs it: no
// DISPLAY, no WAYLAND_DISPLAY and no platform chosen, so a window or a QApplication would fail.
class CommandLine : public ::testing::Test
{
protected:
    void SetUp() override
    {
#ifdef _WIN32
        GTEST_SKIP() << "run through a POSIX shell";
#else
        if (!std::filesystem::exists(m_program)) {
            GTEST_SKIP() << "the program is not built (TRANSVO_GUI=OFF)";
        }
#endif
        std::filesystem::create_directories(m_work);
        config::ConfigValues values;
        for (const auto& [name, value] :
            { std::pair<const char*, const char*> { "Identity", "klant42" }, { "Secret", "geheim" },
                { "Schema", "CSV" }, { "CSV_char", ";" }, { "CSV_art", "1" }, { "CSV_aant", "2" }, { "DirectERP", "0" },
                { "Filiaal", "BEL" }, { "Besteleenheid", "MTR" }, { "lang", "NL" } }) {
            values[name] = value;
        }
        ASSERT_TRUE(platform::replaceFile(m_work + "/config.xml", config::configText(values)));
        ASSERT_TRUE(platform::replaceFile(m_source, "3125021;12\r\n;7\r\n8212503;2,5\r\n"));
        ASSERT_TRUE(platform::replaceFile(m_work + "/orderkop.txt", "C-1\r\nR-2\r\n"));
    }

    // Runs the program with args; its standard output and error land in out and err.
    int run(const std::string& args)
    {
        const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM AppData='" + m_home.path()
            + "' '" + m_program + "' " + args + " >'" + m_home.file("out") + "' 2>'" + m_home.file("err") + "'";
        const int status = std::system(command.c_str());
#ifndef _WIN32
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#else
        return status;
#endif
    }
    std::string out() const
    {
        return platform::readFile(m_home.file("out")).value_or("?");
    }
    std::string err() const
    {
        return platform::readFile(m_home.file("err")).value_or("?");
    }

    // The order as the window's own conversion makes it from the same folders and config.xml.
    convert::ConvertedOrder expected()
    {
        testing_support::RecordingMessages messages;
        config::Settings settings;
        EXPECT_TRUE(config::readConfig(m_work, settings, messages));
        const platform::Deployment deployment;
        const platform::SystemClock clock;
        const std::string work = m_work;
        const std::string program = TRANSVO_BIN_DIR;
        const commands::CommandContext context { settings, deployment, work, program, messages, clock };
        convert::Conversion conversion(settings, work, messages, clock);
        convert::ConvertedOrder order = commands::convertOrder(context, conversion, m_source);
        EXPECT_TRUE(messages.empty());
        EXPECT_TRUE(order.hasOrder);
        return order;
    }

    testing_support::TempDir m_home;
    const std::string m_work = m_home.file("VARO");
    const std::string m_source = m_home.file("order.csv");
    const std::string m_program = std::string(TRANSVO_BIN_DIR) + "/transvo";
};

TEST_F(CommandLine, WritesWhatASendWouldPostAndPreviewsItWithoutTouchingTheWorkFolder)
{
    const convert::ConvertedOrder order = expected();
    ASSERT_FALSE(order.metreLines.empty()) << "the program folder's pipe-length table is used";

    EXPECT_EQ(run("--convert '" + m_source + "'"), 0) << err();
    EXPECT_EQ(out(), order.document());
    EXPECT_EQ(err(), "");

    EXPECT_EQ(run("--convert '" + m_source + "' --out '" + m_home.file("copy.xml") + "'"), 0) << err();
    EXPECT_EQ(platform::readFile(m_home.file("copy.xml")), order.document());
    EXPECT_EQ(out(), "");

    EXPECT_EQ(run("--preview '" + m_source + "'"), 0) << err();
    EXPECT_EQ(out(), convert::previewText(order, "BE"));
    EXPECT_NE(out().find("Bronregel 2 overgeslagen"), std::string::npos) << out();

    EXPECT_EQ(platform::readFile(m_work + "/orderkop.txt"), "C-1\r\nR-2\r\n");
    EXPECT_FALSE(std::filesystem::exists(m_work + "/dtbs.xml"));
}

TEST_F(CommandLine, FailsWithTheProgramsMessageAndListsItsOptions)
{
    const std::string missing = m_home.file("missing.csv");
    for (const char* option : { "--convert", "--preview" }) {
        SCOPED_TRACE(option);
        EXPECT_NE(run(std::string(option) + " '" + missing + "'"), 0);
        EXPECT_EQ(out(), "");
        EXPECT_EQ(err(), "Geen data in " + missing + "\n");
    }
    EXPECT_NE(run("--convert"), 0);
    EXPECT_NE(err().find("Gebruik:"), std::string::npos);
    EXPECT_NE(run("--convert '" + m_source + "' --out"), 0);
    EXPECT_EQ(run("--help"), 0);
    for (const char* option : { "--convert BESTAND [--out PAD]", "--preview BESTAND", "--help" }) {
        EXPECT_NE(out().find(option), std::string::npos) << option;
    }
}

} // namespace
