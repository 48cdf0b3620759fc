#include "CdxStructure.h"
#include "TableAnswers.h"

#include "RecordingMessages.h"
#include "TempDir.h"
#include "lengths/PipeLengthLookup.h"
#include "lengths/PipeLengthTable.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>

using lengths::DbfTable;
using lengths::OpenMode;
using lengths::OpenStatus;
using lengths::PipeLengthLookup;
using lengths::PipeLengthTable;
using lengths_test::readText;

namespace {

void writeText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// A table built with our own code from the list, closed again.
void buildTable(const testing_support::TempDir& dir, const std::string& list)
{
    writeText(dir.file("lgt.csv"), list);
    PipeLengthTable table;
    ASSERT_TRUE(table.create(dir.file("lgt.dbf"))) << table.errorText();
    ASSERT_TRUE(table.appendDelimited(dir.file("lgt.csv"))) << table.errorText();
    ASSERT_TRUE(table.createOrder("MT_ARTNR", dir.file("lgt.CDX"), "MT_ARTNR")) << table.errorText();
    ASSERT_TRUE(table.commit()) << table.errorText();
    ASSERT_TRUE(table.close());
}

std::string keysOf(const std::string& tablePath)
{
    const auto table = DbfTable::parse(readText(tablePath));
    std::string keys;
    for (std::uint32_t record = 1; table && record <= table->recordCount(); ++record) {
        keys += *table->fieldBytes(record, 0);
    }
    return keys;
}

struct Search
{
    const char* text;
    const char* expected; // the answer line after the search text
};

void expectAnswers(PipeLengthTable& table, std::initializer_list<Search> searches)
{
    for (const Search& search : searches) {
        SCOPED_TRACE(std::string("[") + search.text + "]");
        EXPECT_EQ(lengths_test::answer(table, search.text), std::string("[") + search.text + "] " + search.expected);
    }
}

TEST(PipeLengthTable, ShorterTextsFindThePaddedExactKeyFirstAndDuplicatesByRecord)
{
    testing_support::TempDir dir;
    buildTable(dir,
        "3125021,5\r\n312502,3\r\n31250211,6\r\n312502A,2.5\r\n3125021,4\r\n\"   812\",1\r\n"
        "3125021,3\r\n");
    PipeLengthTable table;
    ASSERT_EQ(table.open(dir.file("lgt.dbf"), OpenMode::SharedReadOnly), OpenStatus::Opened);
    expectAnswers(table,
        {
            { "312502", "FOUND [312502       ] 3.000" },
            { "3125021", "FOUND [3125021      ] 5.000" }, // record 1 of three
            { "31250211", "FOUND [31250211     ] 6.000" }, { "3125021 ", "FOUND [3125021      ] 5.000" },
            { "31250212", "NOTFOUND AT [312502A      ]" }, { "   812", "FOUND [   812       ] 1.000" },
            { "  812", "NOTFOUND AT [312502       ]" }, { "", "FOUND [   812       ] 1.000" }, { "4", "NOTFOUND EOF" },
            { "312502A      X", "FOUND [312502A      ] 2.500" }, // cut to the key width
        });
    EXPECT_EQ(
        lengths_test::orderSummary(table, *lengths::CdxIndex::parse(readText(dir.file("lgt.CDX")))).back(), "ORDER OK");
}

TEST(PipeLengthTable, TwentyThousandRowsMakeASoundMultiLevelIndex)
{
    std::mt19937 random(4711);
    std::set<std::string> unique;
    std::string list;
    std::vector<std::string> articles;
    while (articles.size() < 20000) {
        std::string article = std::to_string(10000000 + random() % 90000000);
        if (unique.insert(article).second) {
            articles.push_back(article);
            list += article + "," + std::to_string(1 + random() % 12) + "\r\n";
        }
    }
    testing_support::TempDir dir;
    buildTable(dir, list);

    lengths_test::CdxStructure structure(readText(dir.file("lgt.CDX")), keysOf(dir.file("lgt.dbf")), 13);
    EXPECT_EQ(structure.problems(), std::vector<std::string> {});
    EXPECT_GE(structure.levels, 3);

    PipeLengthTable table;
    ASSERT_EQ(table.open(dir.file("lgt.dbf"), OpenMode::SharedReadOnly), OpenStatus::Opened);
    ASSERT_EQ(table.recordCount(), 20000u);
    for (std::size_t i = 0; i < articles.size(); i += 7) {
        const lengths::SeekResult hit = table.seek(articles[i]);
        ASSERT_TRUE(hit.found) << articles[i];
        EXPECT_EQ(hit.record, i + 1);
    }
    // Misses land on the next higher article, as a sorted list says.
    for (int i = 0; i < 500; ++i) {
        const std::string text = std::to_string(10000000 + random() % 90000000);
        const auto next = unique.lower_bound(text);
        const lengths::SeekResult hit = table.seek(text);
        ASSERT_EQ(hit.eof, next == unique.end()) << text;
        if (!hit.eof) {
            EXPECT_EQ(hit.key.substr(0, 8), *next) << text;
            EXPECT_EQ(hit.found, *next == text);
        }
    }
}

TEST(PipeLengthTable, AppendKeepsArticleNumbersAsWritten)
{
    auto table = DbfTable::create(DbfTable::standardFields());
    ASSERT_TRUE(table);
    table->appendDelimited("   123,6\r\n\"  45\",1.23456\n\"a,b\",-1\r12345678901234,12345.5\n\r"
                           "77,\r\nno comma\r\n\r\n9,  4.5 \x1A");
    const std::pair<const char*, const char*> rows[] = {
        { "   123       ", "   6.000" },
        { "  45         ", "   1.235" },
        { "a,b          ", "  -1.000" },
        { "1234567890123", "********" },
        { "77           ", "   0.000" },
        { "no comma     ", "        " },
        { "             ", "        " },
        { "9            ", "   4.500" },
    };
    ASSERT_EQ(table->recordCount(), std::size(rows));
    for (std::uint32_t record = 1; record <= table->recordCount(); ++record) {
        SCOPED_TRACE(record);
        EXPECT_EQ(*table->fieldBytes(record, 0), rows[record - 1].first);
        EXPECT_EQ(*table->fieldBytes(record, 1), rows[record - 1].second);
    }
}

TEST(PipeLengthTable, DamagedFilesFailToOpenInsteadOfCrashing)
{
    const std::string good = readText(std::string(TRANSVO_FIXTURES) + "/lengths/small/lgt.dbf");
    const std::string index = readText(std::string(TRANSVO_FIXTURES) + "/lengths/small/lgt.CDX");
    const auto patched = [](std::string bytes, std::size_t at, char value) {
        bytes[at] = value;
        return bytes;
    };
    const std::pair<std::string, std::string> cases[] = {
        { "", index },
        { good.substr(0, 31), index },
        { good.substr(0, 70), index }, // descriptors cut off
        { patched(good, 0, 0x7F), index }, // not a dBASE version
        { patched(good, 9, 0x40), index }, // header longer than the file
        { patched(good, 0x60, ' '), index }, // no header terminator
        { patched(good, 0x2B, 'N'), index }, // article number not a character field
        { good, index.substr(0, 1000) }, // index cut inside its header
        { good, "" },
        { good, patched(index, 1, 0x7F) }, // directory root outside the file
        { good, patched(index, 0x5F8, 'X') }, // no tag MT_ARTNR
        { good, patched(index, 0x60C, 0) }, // key length 0
        // A leaf of 8-byte entries without count bits: decoding it would shift by 64 bits.
        { good, patched(patched(patched(index, 0x400 + 21, 0), 0x400 + 22, 0), 0x400 + 23, 8) },
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        testing_support::TempDir dir;
        writeText(dir.file("lgt.dbf"), cases[i].first);
        writeText(dir.file("lgt.CDX"), cases[i].second);
        PipeLengthTable table;
        EXPECT_EQ(table.open(dir.file("lgt.dbf"), OpenMode::SharedReadOnly), OpenStatus::Failed);
        EXPECT_FALSE(table.isOpen());
        EXPECT_FALSE(table.seek("1234").found);
    }
}

TEST(PipeLengthTable, RowCountComesFromTheSizeNotTheHeader)
{
    const std::string folder = std::string(TRANSVO_FIXTURES) + "/lengths/small/";
    std::string bytes = readText(folder + "lgt.dbf");
    bytes[4] = 100; // claims 100 rows
    bytes.resize(bytes.size() - 22 - 12); // the last record gone, the one before cut in half
    testing_support::TempDir dir;
    writeText(dir.file("lgt.dbf"), bytes);
    writeText(dir.file("lgt.CDX"), readText(folder + "lgt.CDX"));
    PipeLengthTable table;
    ASSERT_EQ(table.open(dir.file("lgt.dbf"), OpenMode::SharedReadOnly), OpenStatus::Opened);
    EXPECT_EQ(table.recordCount(), 24u);
    // Records 25 and 26 are gone; their keys in the index must not count as hits.
    EXPECT_FALSE(table.seek("1234567890123").found);
    EXPECT_TRUE(table.seek("00001234").found);
}

TEST(PipeLengthTable, RebuildOperationsNeedTheExclusiveOpen)
{
    testing_support::TempDir dir;
    buildTable(dir, "1,5\r\n");
    PipeLengthTable table;
    ASSERT_EQ(table.open(dir.file("lgt.dbf"), OpenMode::SharedReadOnly), OpenStatus::Opened);
    EXPECT_FALSE(table.zap());
    EXPECT_FALSE(table.pack());
    EXPECT_FALSE(table.appendDelimited(dir.file("lgt.csv")));
    EXPECT_FALSE(table.createOrder("MT_ARTNR", dir.file("lgt.CDX"), "MT_ARTNR"));
    table.close();
    EXPECT_EQ(keysOf(dir.file("lgt.dbf")), "1            ");

    ASSERT_EQ(table.open(dir.file("lgt.dbf"), OpenMode::Exclusive), OpenStatus::Opened);
    EXPECT_FALSE(table.createOrder("MT_ARTNR", dir.file("other.CDX"), "MT_ARTNR"));
    EXPECT_FALSE(table.createOrder("MT_ARTNR", dir.file("lgt.CDX"), "MT_LENGT"));
    EXPECT_FALSE(table.setOrder("NOTHERE", dir.file("lgt.CDX")));
    EXPECT_FALSE(table.appendDelimited(dir.file("missing.csv")));
}

TEST(PipeLengthTable, PackDropsDeletedRowsAndZapEmptiesTheIndex)
{
    testing_support::TempDir dir;
    buildTable(dir, "10,5\r\n11,4\r\n12,3\r\n13,6\r\n");
    std::string bytes = readText(dir.file("lgt.dbf"));
    bytes[98 + 22] = '*'; // row 2
    bytes[98 + 3 * 22] = '*'; // row 4
    writeText(dir.file("lgt.dbf"), bytes);

    PipeLengthTable table;
    ASSERT_EQ(table.open(dir.file("lgt.dbf"), OpenMode::Exclusive), OpenStatus::Opened);
    EXPECT_TRUE(table.table()->isDeleted(2));
    ASSERT_TRUE(table.pack());
    EXPECT_EQ(table.recordCount(), 2u);
    ASSERT_TRUE(table.close());
    EXPECT_EQ(keysOf(dir.file("lgt.dbf")), "10           12           ");
    lengths_test::CdxStructure packed(readText(dir.file("lgt.CDX")), keysOf(dir.file("lgt.dbf")), 13);
    EXPECT_EQ(packed.problems(), std::vector<std::string> {});

    ASSERT_EQ(table.open(dir.file("lgt.dbf"), OpenMode::Exclusive), OpenStatus::Opened);
    ASSERT_TRUE(table.zap());
    ASSERT_TRUE(table.close());
    EXPECT_EQ(readText(dir.file("lgt.dbf")).size(), 99u); // header and end mark
    EXPECT_EQ(readText(dir.file("lgt.CDX")), lengths::CdxIndex::build("MT_ARTNR", "MT_ARTNR", 13, ""));
    ASSERT_EQ(table.open(dir.file("lgt.dbf"), OpenMode::SharedReadOnly), OpenStatus::Opened);
    EXPECT_TRUE(table.seek("").eof);
}

TEST(PipeLengthTable, ANewTableAsideTakesTheOldLayout)
{
    testing_support::TempDir dir;
    auto table = DbfTable::create({ { "MT_ARTNR", 'C', 10, 0 }, { "MT_LENGT", 'N', 6, 2 }, { "NOTE", 'C', 4, 0 } });
    ASSERT_TRUE(table);
    writeText(dir.file("lgt.dbf"), table->serialize({ 2026, 1, 2 }));
    const auto layout = PipeLengthTable::fieldsOf(dir.file("lgt.dbf"));
    ASSERT_TRUE(layout);
    EXPECT_EQ(*layout, table->fields());
    EXPECT_EQ(PipeLengthTable::fieldsOf(std::string(TRANSVO_FIXTURES) + "/lengths/small/lgt.dbf"),
        DbfTable::standardFields());

    std::filesystem::create_directory(dir.file("aside"));
    writeText(dir.file("aside/lgt.csv"), "123456789012,12.345,x\r\n");
    PipeLengthTable aside;
    ASSERT_TRUE(aside.create(dir.file("aside/lgt.dbf"), *layout));
    ASSERT_TRUE(aside.appendDelimited(dir.file("aside/lgt.csv")));
    ASSERT_TRUE(aside.createOrder("MT_ARTNR", dir.file("aside/lgt.CDX"), "MT_ARTNR"));
    ASSERT_TRUE(aside.commit());
    EXPECT_EQ(lengths_test::answer(aside, "1234567890"), "[1234567890] FOUND [1234567890] 12.350");
    EXPECT_FALSE(aside.create(dir.file("aside/bad.dbf"), { { "MT_LENGT", 'N', 8, 3 } }));
}

TEST(PipeLengthTable, AnIndexIsNeverLeftBehindItsRows)
{
    testing_support::TempDir dir;
    buildTable(dir, "1,5\r\n2,5\r\n");
    writeText(dir.file("more.csv"), "3,4\r\n");
    {
        PipeLengthTable table;
        ASSERT_EQ(table.open(dir.file("lgt.dbf"), OpenMode::Exclusive), OpenStatus::Opened);
        ASSERT_TRUE(table.zap());
        ASSERT_TRUE(table.appendDelimited(dir.file("more.csv")));
        // closed without creating the order again
    }
    PipeLengthLookup lookup;
    ASSERT_EQ(lookup.openTable(dir.file("lgt.dbf")), OpenStatus::Opened);
    EXPECT_FALSE(lookup.pipeLength("1"));
    EXPECT_EQ(lookup.pipeLength("3"), 4.0);
}

TEST(PipeLengthLookup, RowsWithoutAUsableLengthCountAsNotFound)
{
    testing_support::TempDir dir;
    buildTable(dir, "1000,0\r\n1001,-5\r\n1002\r\n1003,0.75\r\n1003,6\r\n");
    PipeLengthLookup lookup;
    ASSERT_EQ(lookup.openTable(dir.file("lgt.dbf")), OpenStatus::Opened);
    EXPECT_FALSE(lookup.pipeLength("1000"));
    EXPECT_FALSE(lookup.pipeLength("1001"));
    EXPECT_FALSE(lookup.pipeLength("1002"));
    EXPECT_EQ(lookup.pipeLength("1003"), 0.75);
    EXPECT_EQ(lookup.pipeLength("100"), std::nullopt); // the first match, 1000, has no length
    lookup.close();
    EXPECT_FALSE(lookup.pipeLength("1003"));
}

TEST(PipeLengthLookup, AnIndexOfAnotherTableIsReportedAsDamagedAndNeverUsed)
{
    testing_support::TempDir dir;
    testing_support::TempDir other;
    buildTable(dir, "2000,5\r\n1000,0.5\r\n");
    buildTable(other, "1000,6\r\n2000,4\r\n");
    // Removed first: overwrite_existing is refused by the Windows build of the standard library.
    std::filesystem::remove(dir.file("lgt.CDX"));
    std::filesystem::copy_file(other.file("lgt.CDX"), dir.file("lgt.CDX"));

    testing_support::RecordingMessages messages;
    PipeLengthLookup lookup;
    ASSERT_TRUE(lookup.open(dir.path(), messages));
    EXPECT_FALSE(lookup.pipeLength("1000"));
    EXPECT_FALSE(lookup.pipeLength("2000"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages.last().text.starts_with(platform::joinPath(dir.path(), "lgt.dbf en lgt.CDX zijn beschadigd")));
}

TEST(PipeLengthLookup, AFailedOpenShowsTheInUseMessage)
{
    testing_support::TempDir dir;
    testing_support::RecordingMessages messages;
    PipeLengthLookup lookup;
    EXPECT_FALSE(lookup.open(dir.path(), messages));
    EXPECT_EQ(messages.texts(),
        std::vector<std::string> { dir.path() + platform::separator() + "lgt.dbf ERROR of database in gebruik" });
    EXPECT_FALSE(lookup.pipeLength("1"));
}

TEST(PipeLengthLookup, TheInstalledTableAnswersForItsList)
{
    const std::string list = readText(std::string(TRANSVO_SOURCE_DIR) + "/resources/lengths/lgt.csv");
    testing_support::RecordingMessages messages;
    PipeLengthLookup lookup;
    ASSERT_TRUE(lookup.open(TRANSVO_BIN_DIR, messages));
    std::size_t rows = 0;
    for (std::string line : lengths_test::lines(list)) {
        line.pop_back(); // CR
        const std::size_t comma = line.find(',');
        ASSERT_NE(comma, std::string::npos);
        const std::string article = line.substr(0, comma);
        SCOPED_TRACE(article);
        // An article number that begins a longer one still finds its own row: its padded key
        // sorts first.
        EXPECT_EQ(lookup.pipeLength(article), std::stod(line.substr(comma + 1)));
        ++rows;
    }
    EXPECT_GT(rows, 200u);
    EXPECT_TRUE(messages.empty());
}

} // namespace
