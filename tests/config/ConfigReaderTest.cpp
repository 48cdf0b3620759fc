#include "config/ConfigReader.h"
#include "config/PasswordCipher.h"

#include "RecordingMessages.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using config::Settings;
using testing_support::RecordingMessages;

namespace {

class ConfigReaderTest : public testing::Test
{
protected:
    void writeConfigFile(const std::string& bytes)
    {
        std::ofstream(m_dir.file("config.xml"), std::ios::binary) << bytes;
    }

    // The file from the CONFIG children given, wrapped in the usual frame.
    void writeElements(const std::string& elements)
    {
        writeConfigFile("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<VARO_XML>\r\n  <CONFIG>\r\n" + elements
            + "  </CONFIG>\r\n</VARO_XML>\r\n");
    }

    bool read() { return config::readConfig(m_dir.path(), m_settings, m_messages); }

    testing_support::TempDir m_dir;
    Settings m_settings;
    RecordingMessages m_messages;
};

} // namespace

TEST_F(ConfigReaderTest, TellsWhenThereIsNoConfiguration)
{
    for (const bool empty : { false, true }) {
        SCOPED_TRACE(empty ? "empty file" : "no file");
        if (empty) {
            writeConfigFile("");
        }
        m_messages.clear();
        m_settings.Schema = "CSV";
        EXPECT_FALSE(read());
        ASSERT_EQ(m_messages.size(), 1u);
        EXPECT_EQ(m_messages.last().kind, RecordingMessages::Kind::Message);
        EXPECT_EQ(m_messages.last().text, "Geen configuratie, zie tabblad in menu.");
        EXPECT_EQ(m_messages.last().caption, "Letop ");
        EXPECT_EQ(m_messages.last().icon, platform::MessageIcon::None);
        EXPECT_EQ(m_settings.Schema, "CSV");
    }
}

TEST_F(ConfigReaderTest, ShowsTheParserReasonForABrokenFile)
{
    const std::string cases[] = {
        "<VARO_XML><CONFIG><Schema>CSV</Schema></CONFIG>",
        "<VARO_XML><CONFIG><Schema>CSV</schema></CONFIG></VARO_XML>",
        "not xml at all",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><VARO_XML><CONFIG><Schema>\xFF</Schema></CONFIG></VARO_XML>",
    };
    for (const auto& text : cases) {
        SCOPED_TRACE(text);
        writeConfigFile(text);
        m_messages.clear();
        m_settings = Settings();
        testing::internal::CaptureStderr();
        EXPECT_FALSE(read());
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        ASSERT_EQ(m_messages.size(), 1u);
        EXPECT_EQ(m_messages.last().kind, RecordingMessages::Kind::Error);
        EXPECT_EQ(m_messages.last().text.rfind("XMLDOM ERROR ", 0), 0u);
        EXPECT_GT(m_messages.last().text.size(), std::string("XMLDOM ERROR ").size());
        EXPECT_TRUE(m_settings.Schema.empty());
    }
}

TEST_F(ConfigReaderTest, SilentlyReadsNothingWithoutConfigContent)
{
    const std::string cases[] = {
        "<VARO_XML/>",
        "<VARO_XML><CONFIG/></VARO_XML>",
        "<OTHER><CONFIG><Schema>CSV</Schema></CONFIG></OTHER>",
        "<VARO_XML><config><Schema>CSV</Schema></config></VARO_XML>",
    };
    for (const auto& text : cases) {
        SCOPED_TRACE(text);
        writeConfigFile(text);
        m_settings.Secret = "kept";
        EXPECT_FALSE(read());
        EXPECT_TRUE(m_messages.empty());
        EXPECT_TRUE(m_settings.Schema.empty());
        EXPECT_EQ(m_settings.Secret, "kept");
    }
}

TEST_F(ConfigReaderTest, ReadsAnyLayoutOfAWellFormedDocument)
{
    const std::string cases[] = {
        "<VARO_XML><CONFIG><lang>FR</lang><Schema>XML</Schema></CONFIG></VARO_XML>",
        "<?xml "
        "version=\"1.0\"?>\n<VARO_XML>\n\t<CONFIG>\n\t\t<Schema>XML</Schema>\n\t\t<lang>FR</lang>\n\t</CONFIG>\n</"
        "VARO_XML>",
        "<!-- saved by hand --><VARO_XML "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><CONFIG><Schema>XML</Schema>"
        "<?Schema SDF?><!--Schema--><lang>FR</lang></CONFIG></VARO_XML>",
        "<ROOT><VARO_XML><CONFIG><Schema>XML</Schema><lang>FR</lang></CONFIG></VARO_XML></ROOT>",
        "<?xml version=\"1.0\" "
        "encoding=\"ISO-8859-1\"?><VARO_XML><CONFIG><Schema>XML</Schema><lang>FR</lang></CONFIG></VARO_XML>",
    };
    for (const auto& text : cases) {
        SCOPED_TRACE(text);
        writeConfigFile(text);
        m_settings = Settings();
        EXPECT_TRUE(read());
        EXPECT_TRUE(m_messages.empty());
        EXPECT_EQ(m_settings.Schema, "XML");
        EXPECT_EQ(m_settings.lang, "FR");
    }
}

TEST_F(ConfigReaderTest, MatchesNamesExactlyAndLetTheLastOneWin)
{
    m_settings.MapIn = "from before";
    m_settings.Identity = "from before";
    writeElements("    <identity>wrong case</identity>\r\n"
                  "    <Schema>CSV</Schema>\r\n"
                  "    <Unknown>x</Unknown>\r\n"
                  "    <Schema>SDF</Schema>\r\n"
                  "    <ICM_naam>  spaced  </ICM_naam>\r\n"
                  "    <CSV_char> </CSV_char>\r\n");
    EXPECT_TRUE(read());
    EXPECT_EQ(m_settings.Identity, "from before");
    EXPECT_EQ(m_settings.MapIn, "from before") << "the record is not reset";
    EXPECT_EQ(m_settings.Schema, "SDF");
    EXPECT_EQ(m_settings.ICM_naam, "  spaced  ");
    EXPECT_EQ(m_settings.CSV_char, " ");
}

TEST_F(ConfigReaderTest, TakesTheLeadingNumberOfNumberFields)
{
    struct Case
    {
        const char* text;
        unsigned wide; // SDF_art_van, 16 bits
        unsigned narrow; // CSV_aant, 8 bits
    };
    const Case cases[] = {
        { " 12", 12, 12 },
        { "12abc", 12, 12 },
        { "abc", 0, 0 },
        { "", 0, 0 },
        { "0007", 7, 7 },
        { "3.9", 3, 3 },
        { "-5", 0, 0 },
        { "255", 255, 255 },
        { "256", 256, 255 },
        { "65535", 65535, 255 },
        { "70000", 65535, 255 },
        { "99999999999999999999", 65535, 255 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        writeElements(std::string("<SDF_art_van>") + c.text + "</SDF_art_van><CSV_aant>" + c.text + "</CSV_aant>");
        m_settings = Settings();
        m_settings.SDF_art_van = m_settings.CSV_aant = 99;
        EXPECT_TRUE(read());
        EXPECT_EQ(m_settings.SDF_art_van, c.wide);
        EXPECT_EQ(m_settings.CSV_aant, c.narrow);
    }
}

TEST_F(ConfigReaderTest, DeciphersTheSecretAfterReading)
{
    const std::string hex = config::PasswordCipher::encipherToHex("p@ss");
    std::string lower = hex;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const std::pair<std::string, std::string> cases[] = {
        { "<Secret>" + hex + "</Secret>", "p@ss" },
        { "<Secret>" + lower + "</Secret>", "p@ss" },
        { "<Secret>0000</Secret><Secret>" + hex + "</Secret>", "p@ss" },
        { "<Schema>CSV</Schema>", "" },
        { "<Secret></Secret>", "" },
    };
    for (const auto& [elements, password] : cases) {
        SCOPED_TRACE(elements);
        writeElements(elements);
        m_settings.Secret = "from before";
        EXPECT_TRUE(read());
        EXPECT_EQ(m_settings.Secret, password);
    }
}

TEST_F(ConfigReaderTest, ValidatesADocumentThatBringsItsDtd)
{
    const std::string dtd = "<!DOCTYPE VARO_XML [<!ELEMENT VARO_XML (CONFIG)><!ELEMENT CONFIG (Schema)*>"
                            "<!ELEMENT Schema (#PCDATA)>]>";
    writeConfigFile(dtd + "<VARO_XML><CONFIG><Schema>MER</Schema></CONFIG></VARO_XML>");
    EXPECT_TRUE(read());
    EXPECT_EQ(m_settings.Schema, "MER");

    m_settings = Settings();
    writeConfigFile(dtd + "<VARO_XML><CONFIG><Schema>MER</Schema><lang>NL</lang></CONFIG></VARO_XML>");
    EXPECT_FALSE(read());
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages.last().text.rfind("XMLDOM ERROR ", 0), 0u);
    EXPECT_TRUE(m_settings.Schema.empty());
}

TEST_F(ConfigReaderTest, ReadsAFileThatPointsAtAnOutsideDtdWithoutFetchingIt)
{
    // A port nothing listens on: a fetch attempt would fail the load.
    writeConfigFile("<!DOCTYPE VARO_XML SYSTEM \"http://127.0.0.1:9/config.dtd\">"
                    "<VARO_XML><CONFIG><Schema>ICM</Schema></CONFIG></VARO_XML>");
    EXPECT_TRUE(read());
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(m_settings.Schema, "ICM");
}

TEST_F(ConfigReaderTest, DoesNotMistakeAFolderForTheFile)
{
    std::filesystem::create_directory(m_dir.file("config.xml"));
    EXPECT_FALSE(read());
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages.last().text, "Geen configuratie, zie tabblad in menu.");
}
