#include "config/ConfigWriter.h"
#include "config/ConfigFields.h"
#include "config/ConfigReader.h"
#include "config/PasswordCipher.h"
#include "platform/Files.h"
#include "platform/Paths.h"

#include "OwnerOnly.h"
#include "RecordingMessages.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

using config::ConfigValues;
using config::Settings;
using testing_support::RecordingMessages;

namespace {

const std::string kSavedMessage = "Configuratie opgeslagen, programma opnieuw opstarten om deze actief te maken.";

// The values the golden file holds.
ConfigValues goldenValues()
{
    ConfigValues v;
    v["Identity"] = "K0042";
    v["DirectERP"] = "0";
    v["lang"] = "NL";
    v["addressID"] = "A-17";
    v["MapIn"] = "C:\\Orders\\In & Out";
    v["Extentie"] = "*.csv";
    v["Schema"] = "CSV";
    v["Koprecord"] = "YES";
    v["Filiaal"] = "BEL";
    v["Webpagina"] = "NO";
    v["Besteleenheid"] = "MTR";
    v["Bestand_del"] = "NO";
    v["MC1000_SND"] = "YES";
    v["SDF_art_van"] = "1";
    v["SDF_art_tot"] = "13";
    v["SDF_ant_van"] = " 20";
    v["SDF_ant_tot"] = "6abc";
    v["CSV_char"] = "\t";
    v["CSV_art"] = "2";
    v["CSV_aant"] = "3";
    v["ICM"] = "KN";
    v["ICM_email"] = "inkoop@example.test";
    v["ICM_naam"] = "Zo\xC3\xAB de Vries";
    v["ICM_remote"] = "smtp.example.test:2525";
    v["XML_1"] = "/order/contract";
    v["XML_2"] = "/order/ref";
    v["XML_5"] = "/order/tel";
    v["XML_6"] = "/order/date[. != '']";
    v["XML_16"] = "/order/line[qty > 0]/art";
    v["XML_17"] = "/order/line[qty < 100 and qty > 0]/qty";
    return v;
}

// Every field distinct, with markup characters, non-ASCII text and numbers at their limits.
ConfigValues distinctValues()
{
    ConfigValues v;
    v["Identity"] = "id&<>";
    v["DirectERP"] = "1";
    v["Secret"] = "p@$$ w0rd!#%^&*()<>\"'\\/~`";
    v["lang"] = "FR";
    v["addressID"] = "adr \xE2\x82\xAC";
    v["MapIn"] = "/srv/orders & <in>";
    v["Extentie"] = "*.x?l";
    v["Schema"] = "MC1000";
    v["Koprecord"] = "NO";
    v["Filiaal"] = "NED";
    v["Webpagina"] = "YES";
    v["Besteleenheid"] = "STK";
    v["Bestand_del"] = "YES";
    v["MC1000_SND"] = "NO";
    v["SDF_art_van"] = "1";
    v["SDF_art_tot"] = "2";
    v["SDF_ant_van"] = "3";
    v["SDF_ant_tot"] = "65535";
    v["CSV_char"] = ";";
    v["CSV_art"] = "4";
    v["CSV_aant"] = "255";
    v["ICM"] = "ML";
    v["ICM_email"] = "a@b.test";
    v["ICM_naam"] = "Na\xC3\xAFve";
    v["ICM_remote"] = "mail:25";
    int number = 0;
    for (const auto& field : config::configFields()) {
        if (field.name.rfind("XML_", 0) == 0) {
            ++number;
            v[field] = "//x" + std::to_string(number) + "[@n < " + std::to_string(number) + " and . != '&']";
        }
    }
    EXPECT_EQ(number, 17);
    return v;
}

std::string fileBytes(const std::string& path)
{
    return platform::readFile(path).value_or("<unreadable>");
}

class ConfigWriterTest : public testing::Test
{
protected:
    // Writes the values, reads them back, and returns what the record then says.
    ConfigValues roundTrip(const ConfigValues& values)
    {
        RecordingMessages messages;
        EXPECT_TRUE(config::writeConfig(m_dir.path(), values, messages));
        Settings settings;
        EXPECT_TRUE(config::readConfig(m_dir.path(), settings, messages));
        EXPECT_EQ(messages.texts(), std::vector<std::string> { kSavedMessage });
        return ConfigValues::fromSettings(settings);
    }

    std::string configPath() const { return m_dir.file("config.xml"); }

    testing_support::TempDir m_dir;
};

} // namespace

TEST_F(ConfigWriterTest, WritesTheFileByteForByte)
{
    const auto golden = platform::readFile(std::string(TRANSVO_TEST_DATA) + "/config/golden-config.xml");
    ASSERT_TRUE(golden);
    EXPECT_EQ(config::configText(goldenValues()), *golden);

    RecordingMessages messages;
    EXPECT_TRUE(config::writeConfig(m_dir.path(), goldenValues(), messages));
    EXPECT_EQ(fileBytes(configPath()), *golden);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.last().kind, RecordingMessages::Kind::Message);
    EXPECT_EQ(messages.last().text, kSavedMessage);
    EXPECT_EQ(messages.last().caption, "Configuratie.");
    EXPECT_EQ(messages.last().icon, platform::MessageIcon::Warning);
}

TEST_F(ConfigWriterTest, ReadsBackEveryField)
{
    const ConfigValues written = distinctValues();
    EXPECT_EQ(roundTrip(written), written);
    const std::string bytes = fileBytes(configPath());
    EXPECT_EQ(bytes.find(written["Secret"]), std::string::npos);
    EXPECT_NE(bytes.find("<Secret>" + config::PasswordCipher::encipherToHex(written["Secret"]) + "</Secret>"),
        std::string::npos);
}

TEST_F(ConfigWriterTest, KeepsSeparatorsAndPasswordsExactly)
{
    struct Case
    {
        const char* label;
        const char* field;
        std::string value;
    };
    const Case cases[] = {
        { "tab separator", "CSV_char", "\t" },
        { "space separator", "CSV_char", " " },
        { "typed separator", "CSV_char", "|" },
        { "ampersand separator", "CSV_char", "&" },
        { "punctuation password", "Secret", "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~" },
        { "non-ASCII password", "Secret", "\xC3\xA9\xC3\xA8\xE2\x82\xAC\x7F\x01" },
        { "blank password", "Secret", "  " },
        { "carriage return", "ICM_naam", "a\rb" },
        { "line feed", "ICM_naam", "a\nb" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ConfigValues values = goldenValues();
        values[c.field] = c.value;
        EXPECT_EQ(roundTrip(values)[c.field], c.value);
    }
}

TEST_F(ConfigWriterTest, LeavesOutCharactersXmlCannotCarry)
{
    ConfigValues values = goldenValues();
    values["Identity"] = std::string("a\x01"
                                     "b\x1F"
                                     "c\0d",
        7);
    EXPECT_EQ(roundTrip(values)["Identity"], "abcd");
}

TEST_F(ConfigWriterTest, MakesTheFileReadableByTheUserOnly)
{
    RecordingMessages messages;
    ASSERT_TRUE(config::writeConfig(m_dir.path(), goldenValues(), messages));
    ASSERT_TRUE(platform::fileExists(configPath()));
    EXPECT_TRUE(testing_support::isOwnerOnly(configPath()));
}

TEST_F(ConfigWriterTest, CreatesAMissingWorkFolder)
{
    const std::string folder = m_dir.file("VARO");
    RecordingMessages messages;
    EXPECT_TRUE(config::writeConfig(folder, goldenValues(), messages));
    EXPECT_EQ(messages.texts(), std::vector<std::string> { kSavedMessage });
    EXPECT_TRUE(platform::fileExists(platform::joinPath(folder, "config.xml")));
}

TEST_F(ConfigWriterTest, ReportsAWorkFolderThatCannotBeMade)
{
    const std::string blocker = m_dir.file("blocker");
    std::ofstream(blocker) << "a file where the folder must be";
    const std::string cases[] = { blocker, platform::joinPath(blocker, "VARO"), m_dir.file("missing/VARO") };
    for (const auto& folder : cases) {
        SCOPED_TRACE(folder);
        RecordingMessages messages;
        EXPECT_FALSE(config::writeConfig(folder, goldenValues(), messages));
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages.entries()[0].kind, RecordingMessages::Kind::Error);
        EXPECT_EQ(messages.entries()[0].text.rfind("Fout aanmaken map " + folder + " ", 0), 0u);
        EXPECT_GT(messages.entries()[0].text.size(), ("Fout aanmaken map " + folder + " ").size());
        EXPECT_EQ(
            messages.entries()[1].text.rfind("Fout aanmaken " + platform::joinPath(folder, "config.xml") + " ", 0), 0u);
    }
    EXPECT_EQ(fileBytes(blocker), "a file where the folder must be");
}

TEST_F(ConfigWriterTest, ReportsAFileThatCannotBeReplaced)
{
    std::filesystem::create_directory(configPath());
    RecordingMessages messages;
    EXPECT_FALSE(config::writeConfig(m_dir.path(), goldenValues(), messages));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.last().kind, RecordingMessages::Kind::Error);
#ifdef _WIN32
    const int replacingAFolder = 5; // ERROR_ACCESS_DENIED
#else
    const int replacingAFolder = EISDIR;
#endif
    EXPECT_EQ(messages.last().text, "Fout aanmaken " + configPath() + " " + platform::errorText(replacingAFolder));
    EXPECT_TRUE(platform::folderExists(configPath()));
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.path()), {}), 1);
}

TEST_F(ConfigWriterTest, ReportsAFailingWriteAndKeepsTheOldFile)
{
    RecordingMessages messages;
    ASSERT_TRUE(config::writeConfig(m_dir.path(), goldenValues(), messages));
    const std::string before = fileBytes(configPath());
    messages.clear();
    const auto failingWriter = [](const std::string&, const std::string&, platform::Access) {
        return platform::WriteResult { false, platform::errorText(ENOSPC) };
    };
    EXPECT_FALSE(config::writeConfig(m_dir.path(), distinctValues(), messages, failingWriter));
    EXPECT_EQ(messages.texts(),
        std::vector<std::string> { "Fout aanmaken " + configPath() + " " + platform::errorText(ENOSPC) });
    EXPECT_EQ(fileBytes(configPath()), before);
}

TEST_F(ConfigWriterTest, SavesFromARecordWhatWasRead)
{
    Settings settings;
    RecordingMessages messages;
    ASSERT_TRUE(config::writeConfig(m_dir.path(), goldenValues(), messages));
    ASSERT_TRUE(config::readConfig(m_dir.path(), settings, messages));
    const ConfigValues again = ConfigValues::fromSettings(settings);
    EXPECT_EQ(again["SDF_ant_van"], "20");
    EXPECT_EQ(again["SDF_ant_tot"], "6");
    ASSERT_TRUE(config::writeConfig(m_dir.path(), again, messages));
    Settings reread;
    ASSERT_TRUE(config::readConfig(m_dir.path(), reread, messages));
    EXPECT_EQ(ConfigValues::fromSettings(reread), again);
}
