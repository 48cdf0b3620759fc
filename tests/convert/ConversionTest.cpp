#include "ConversionRun.h"
#include "OwnerOnly.h"
#include "UnreadableFile.h"

#include "platform/Files.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace convert;
using namespace testing_support;

namespace {

std::string twelveLines(const std::string& date)
{
    return "C1\r\nREF\r\nR1\r\nR2\r\nTEL\r\n" + date + "\r\nN1\r\nN2\r\nST\r\nPC\r\nCITY\r\nBE\r\n";
}

} // namespace

TEST(DefaultDeliveryDate, SkipsTheWeekendOnEachWeekday)
{
    // 2024-03-04 is a Monday.
    const std::pair<int, const char*> cases[] = {
        { 4, "2024-03-06" },
        { 5, "2024-03-07" },
        { 6, "2024-03-08" },
        { 7, "2024-03-11" },
        { 8, "2024-03-12" },
        { 9, "2024-03-11" },
        { 10, "2024-03-12" },
    };
    ConversionRun f;
    for (const auto& [day, expected] : cases) {
        SCOPED_TRACE(day);
        f.clock.set({ 2024, 3, day });
        EXPECT_EQ(f.conversion.defaultDeliveryDate(), expected);
    }
}

TEST(HeaderMerge, ReadsTrimsAndDeletesTheHeaderFile)
{
    struct Case
    {
        const char* name;
        std::string bytes;
        std::size_t entries;
    };
    const Case cases[] = {
        { "twelve lines", twelveLines("  2024-03-20  "), 12 },
        { "thirteenth empty line", twelveLines("2024-03-20") + "\r\n", 13 },
        { "last line without end", "a\r\nb", 2 },
        { "empty file", "", 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConversionRun f;
        f.orderkop(c.bytes);
        const KOPLIJST header = f.conversion.VERWERK_KOP();
        EXPECT_EQ(header.size(), c.entries);
        EXPECT_FALSE(platform::fileExists(f.work.file("orderkop.txt")));
        EXPECT_TRUE(f.messages.empty());
        if (c.entries == 12) {
            EXPECT_EQ(header[5], "2024-03-20");
        }
    }
}

TEST(HeaderMerge, WithoutFileGivesNothingAndSaysNothing)
{
    ConversionRun f;
    EXPECT_TRUE(f.conversion.VERWERK_KOP().empty());
    EXPECT_TRUE(f.messages.empty());
}

TEST(HeaderMerge, ReportsAFileItCannotRead)
{
    if (const auto reason = UnreadableFile::impossibleBecause(); !reason.empty()) {
        GTEST_SKIP() << reason;
    }
    ConversionRun f;
    f.orderkop(twelveLines("2024-03-20"));
    {
        const UnreadableFile unreadable(f.work.file("orderkop.txt"));
        EXPECT_TRUE(f.conversion.VERWERK_KOP().empty());
    }
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(f.messages.last().text.rfind("Fout bij openen bestand " + f.work.file("orderkop.txt") + " ", 0), 0u);
    // Windows removes a file others hold open once they let go of it.
    EXPECT_FALSE(platform::fileExists(f.work.file("orderkop.txt")));
}

TEST(PipeLengthConversion, RoundsMetresUpToWholePipes)
{
    struct Case
    {
        const char* key;
        const char* quantity;
        const char* expected;
    };
    const Case cases[] = {
        { "P5", "12", "3" },
        { "P5", "10", "2" },
        { "P5", "0", "0" },
        { "P4", "0,5", "1" },
        { "X", "2,5", "2,5" },
        { "ZERO", "7,0", "7,0" },
        { "NEG", "7", "7" },
        { "P5", "-12", "-2" },
        // 6,9 / 2,3 is 3.0000000000000004 in binary floating point: still exactly three pipes.
        { "P2.3", "6,9", "3" },
        { "P2.3", "6,91", "4" },
        { "P5.8", "11,6", "2" },
        // A real excess is no rounding noise, however small.
        { "P5", "10,000000001", "3" },
        { "P2.3", "6,900000001", "4" },
    };
    ConversionRun f;
    f.lengths.add("P2.3", 2.3);
    f.lengths.add("P5.8", 5.8);
    f.lengths.add("P5", 5);
    f.lengths.add("P4", 4);
    f.lengths.add("ZERO", 0);
    f.lengths.add("NEG", -1);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + c.quantity);
        const Quantity result = f.conversion.VERWERK_LENGTE(c.key, parseQuantity(c.quantity, ','));
        EXPECT_EQ(result.text(','), c.expected);
    }
    Conversion withoutTable(f.settings, f.work.path(), f.messages, f.clock);
    EXPECT_EQ(withoutTable.VERWERK_LENGTE("P5", parseQuantity("12", ',')).text(','), "12");
}

TEST(ConversionRun, EndsSilentlyWithoutASource)
{
    ConversionRun f;
    f.settings.Schema = "CSV";
    f.orderkop(twelveLines("2024-03-20"));
    const std::string empty = f.source("");
    for (const std::string& path : { std::string(), f.input.file("missing.txt"), empty }) {
        SCOPED_TRACE(path);
        EXPECT_TRUE(f.conversion.convert("CSV", path));
        EXPECT_TRUE(f.conversion.convert("SDF", path));
        EXPECT_TRUE(f.conversion.convert("ICM", path));
    }
    EXPECT_FALSE(f.hasDocument());
    EXPECT_TRUE(f.messages.empty());
    EXPECT_TRUE(platform::fileExists(f.work.file("orderkop.txt")));
}

TEST(ConversionRun, ReportsASourceItCannotOpen)
{
    if (const auto reason = UnreadableFile::impossibleBecause(); !reason.empty()) {
        GTEST_SKIP() << reason;
    }
    ConversionRun f;
    const std::string path = f.source("A;1\r\n");
    const UnreadableFile unreadable(path);
    f.conversion.VERWERK_CSV(path);
    EXPECT_EQ(f.messages.texts(), std::vector<std::string> { "Fout bij openen bronbestand " + path });
    EXPECT_FALSE(f.hasDocument());
}

TEST(ConversionRun, RefusesSourcesTooLargeToBeOrdersBeforeReadingThem)
{
    ConversionRun f;
    f.settings.Schema = "CSV";
    f.orderkop(twelveLines("2024-03-20"));
    // Sparse: 300 MB on paper, no time or disk to write it.
    const std::string huge = f.input.file("huge.csv");
    ASSERT_TRUE(platform::replaceFile(huge, "A;1\r\n"));
    std::filesystem::resize_file(huge, 300ull * 1024 * 1024);
    std::string lines;
    for (int i = 0; i <= 1'000'000; ++i) {
        lines += "\n";
    }
    const std::string many = f.source(lines);
    for (const char* schema : { "CSV", "SDF", "ICM", "XML", "MER", "MC1000" }) {
        SCOPED_TRACE(schema);
        f.messages.clear();
        EXPECT_TRUE(f.conversion.convert(schema, huge));
        EXPECT_EQ(
            f.messages.texts(), std::vector<std::string> { "Bronbestand " + huge + " is te groot (meer dan 256 MB)." });
    }
    for (const char* schema : { "CSV", "SDF", "ICM" }) {
        SCOPED_TRACE(schema);
        f.messages.clear();
        EXPECT_TRUE(f.conversion.convert(schema, many));
        EXPECT_EQ(f.messages.texts(),
            std::vector<std::string> { "Bronbestand " + many + " heeft te veel regels (meer dan een miljoen)." });
    }
    EXPECT_FALSE(f.hasDocument());
}

TEST(HeaderRecords, SettingsControlCharactersNeverReachTheDocument)
{
    ConversionRun f;
    f.settings.Identity = "klant\r\n42";
    f.settings.Secret = "ge\theim\x7F";
    f.settings.addressID = "A\n1";
    f.settings.DirectERP = "0\x01";
    f.conversion.VERWERK_STRUC(Conversion::emptyHeader());
    f.conversion.VERWERK_MAG();
    const std::string document = platform::readFile(f.work.file("dtbs.xml")).value_or("");
    EXPECT_NE(document.find("<Identity>klant42</Identity>"), std::string::npos) << document;
    EXPECT_NE(document.find("<Secret>geheim</Secret>"), std::string::npos);
    EXPECT_NE(document.find("addressID=\"A1\""), std::string::npos);
    EXPECT_NE(document.find("DirectERP=\"0\""), std::string::npos);
}

TEST(ConversionRun, KnowsOnlyTheExactSchemaNames)
{
    ConversionRun f;
    const std::string path = f.source("A;1\r\n");
    EXPECT_FALSE(f.conversion.convert("csv", path));
    EXPECT_FALSE(f.conversion.convert("", path));
    EXPECT_FALSE(f.hasDocument());
}

TEST(ConversionRun, TheIcmPointDoesNotReachTheNextRun)
{
    ConversionRun f;
    f.settings.CSV_char = ";";
    f.settings.CSV_art = 1;
    f.settings.CSV_aant = 2;
    f.conversion.convertIcm(std::string(19, '\n') + "2.5\nA1\n");
    f.conversion.convertCsv("A;2,5\r\n");
    const auto document = readBytes(f.work.file("dtbs.xml"));
    ASSERT_TRUE(document);
    EXPECT_NE(document->find("quantity=\"2,5\""), std::string::npos);
}

TEST(ConversionRun, NumbersOnlyAcceptedLines)
{
    ConversionRun f;
    f.settings.CSV_char = ";";
    f.settings.CSV_art = 1;
    f.settings.CSV_aant = 2;
    f.conversion.beginLines();
    f.conversion.addLine(parseQuantity("1", ','), " A ");
    f.conversion.addLine(parseQuantity("2", ','), "B");
    ASSERT_EQ(f.conversion.order().lines.size(), 2u);
    EXPECT_EQ(f.conversion.order().lines[1].lineNumber, "2");
    EXPECT_EQ(f.conversion.order().lines[0].articleNumber, "A");
}

TEST(OrderDocumentFile, IsReadableByTheUserAloneAndEmptiesTheLines)
{
    ConversionRun f;
    f.settings.Secret = "geheim";
    f.conversion.VERWERK_STRUC(Conversion::emptyHeader());
    f.conversion.beginLines();
    f.conversion.addLine(parseQuantity("1", ','), "A");
    f.conversion.VERWERK_MAG();
    ASSERT_TRUE(platform::fileExists(f.work.file("dtbs.xml")));
    EXPECT_TRUE(testing_support::isOwnerOnly(f.work.file("dtbs.xml")));
    EXPECT_TRUE(f.conversion.order().lines.empty());
}

TEST(OrderDocumentFile, ReportsWhenItCannotBeCreatedAndKeepsTheLines)
{
    ConversionRun f;
    const std::string missing = f.work.file("gone");
    Conversion conversion(f.settings, missing, f.messages, f.clock);
    conversion.VERWERK_STRUC(Conversion::emptyHeader());
    conversion.beginLines();
    conversion.addLine(parseQuantity("1", ','), "A");
    conversion.VERWERK_MAG();
    ASSERT_EQ(f.messages.size(), 1u);
    const std::string expected = "Fout bij aanmaken bestand " + platform::joinPath(missing, "dtbs.xml") + " ";
    EXPECT_EQ(f.messages.last().text.substr(0, expected.size()), expected);
    EXPECT_GT(f.messages.last().text.size(), expected.size()) << "no system error text";
    EXPECT_EQ(conversion.order().lines.size(), 1u);
}

TEST(HeaderRecords, AreOverwrittenByEveryRun)
{
    ConversionRun f;
    f.settings.addressID = "A1";
    f.settings.Identity = "klant";
    KOPLIJST header = Conversion::emptyHeader();
    header[0] = "  C1  ";
    header[11] = " BE ";
    f.conversion.VERWERK_STRUC(header);
    EXPECT_EQ(f.conversion.order().header.Contract_number, "C1");
    EXPECT_EQ(f.conversion.order().header.isoCountryCode, "BE");
    f.conversion.VERWERK_STRUC(Conversion::emptyHeader());
    const ORDER& order = f.conversion.order();
    EXPECT_EQ(order.header.Contract_number, "");
    EXPECT_EQ(order.header.OrderDate, "2024-03-05");
    EXPECT_EQ(order.header.addressID, "A1");
    EXPECT_EQ(order.from.Identity, "klant");
    EXPECT_EQ(order.request.deploymentMode, "production");
}
