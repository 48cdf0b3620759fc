#include "CdxStructure.h"
#include "TableAnswers.h"

#include "TempDir.h"
#include "lengths/CdxIndex.h"
#include "lengths/DbfTable.h"
#include "lengths/PipeLengthTable.h"

#include <gtest/gtest.h>

using lengths::CdxIndex;
using lengths::DbfTable;
using lengths::OpenMode;
using lengths::OpenStatus;
using lengths::PipeLengthTable;
using lengths_test::readText;

namespace {

const std::string kFixtures = std::string(TRANSVO_FIXTURES) + "/lengths/";

std::string articleKeys(const DbfTable& table)
{
    std::string keys;
    for (std::uint32_t record = 1; record <= table.recordCount(); ++record) {
        keys += *table.fieldBytes(record, 0);
    }
    return keys;
}

// Only bytes 1-3 of a table (the date of the last write) depend on the day.
std::string withoutDate(std::string table)
{
    if (table.size() > 3) {
        table[1] = table[2] = table[3] = 0;
    }
    return table;
}

void copyFile(const std::string& from, const std::string& to)
{
    std::ofstream(to, std::ios::binary) << readText(from);
}

TEST(TableWriter, BuildsTheIndexEstablishedEnginesWrite)
{
    for (const char* set : { "small", "large", "rebuilt" }) {
        SCOPED_TRACE(set);
        const auto table = DbfTable::parse(readText(kFixtures + set + "/lgt.dbf"));
        ASSERT_TRUE(table);
        const std::string built = CdxIndex::build("MT_ARTNR", "MT_ARTNR", 13, articleKeys(*table));
        const std::string reference = readText(kFixtures + set + "/lgt.CDX");
        ASSERT_EQ(built.size(), reference.size());
        for (std::size_t page = 0; page < built.size(); page += 512) {
            ASSERT_EQ(built.substr(page, 512), reference.substr(page, 512)) << "page at " << page;
        }
    }
}

TEST(TableWriter, TheStructureCheckAcceptsTheReferenceIndexes)
{
    for (const char* set : { "small", "large", "rebuilt" }) {
        SCOPED_TRACE(set);
        const auto table = DbfTable::parse(readText(kFixtures + set + "/lgt.dbf"));
        ASSERT_TRUE(table);
        lengths_test::CdxStructure structure(readText(kFixtures + set + "/lgt.CDX"), articleKeys(*table), 13);
        EXPECT_EQ(structure.problems(), std::vector<std::string> {});
    }
}

TEST(TableWriter, RebuildGivesTheReferenceFiles)
{
    testing_support::TempDir dir;
    const std::string tablePath = dir.file("lgt.dbf");
    copyFile(kFixtures + "small/lgt.dbf", tablePath);
    copyFile(kFixtures + "small/lgt.CDX", dir.file("lgt.CDX"));

    PipeLengthTable table;
    ASSERT_EQ(table.open(tablePath, OpenMode::Exclusive), OpenStatus::Opened) << table.errorText();
    EXPECT_TRUE(table.zap());
    EXPECT_TRUE(table.pack());
    EXPECT_TRUE(table.appendDelimited(kFixtures + "rebuilt/lgt.csv")) << table.errorText();
    EXPECT_TRUE(table.createOrder("MT_ARTNR", dir.file("lgt.CDX"), "MT_ARTNR")) << table.errorText();
    EXPECT_TRUE(table.commit()) << table.errorText();
    EXPECT_TRUE(table.setOrder("MT_ARTNR", dir.file("lgt.CDX")));
    EXPECT_TRUE(table.close());

    EXPECT_EQ(withoutDate(readText(tablePath)), withoutDate(readText(kFixtures + "rebuilt/lgt.dbf")));
    EXPECT_EQ(readText(dir.file("lgt.CDX")), readText(kFixtures + "rebuilt/lgt.CDX"));
}

TEST(TableWriter, FreshTableFromTheSmallListGivesTheReferenceFiles)
{
    testing_support::TempDir dir;
    const std::string tablePath = dir.file("lgt.dbf");
    PipeLengthTable table;
    ASSERT_TRUE(table.create(tablePath)) << table.errorText();
    EXPECT_TRUE(table.appendDelimited(kFixtures + "small/lgt.csv"));
    EXPECT_TRUE(table.createOrder("MT_ARTNR", dir.file("lgt.CDX"), "MT_ARTNR"));
    EXPECT_TRUE(table.commit());
    EXPECT_TRUE(table.close());

    EXPECT_EQ(withoutDate(readText(tablePath)), withoutDate(readText(kFixtures + "small/lgt.dbf")));
    EXPECT_EQ(readText(dir.file("lgt.CDX")), readText(kFixtures + "small/lgt.CDX"));
}

} // namespace
