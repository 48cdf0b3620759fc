#include "TableAnswers.h"

#include "lengths/PipeLengthTable.h"

#include <gtest/gtest.h>

using lengths::OpenMode;
using lengths::OpenStatus;
using lengths::PipeLengthTable;

namespace {

const std::string kFixtures = std::string(TRANSVO_FIXTURES) + "/lengths/";

TEST(FixtureTables, EverySearchGivesTheReferenceAnswer)
{
    for (const char* set : { "small", "large", "rebuilt", "variants/freelist", "variants/sparse", "variants/wide" }) {
        SCOPED_TRACE(set);
        const std::string folder = kFixtures + set;
        PipeLengthTable table;
        ASSERT_EQ(table.open(folder + "/lgt.dbf", OpenMode::SharedReadOnly), OpenStatus::Opened) << table.errorText();
        const auto expected = lengths_test::lines(lengths_test::readText(folder + "/expected.txt"));
        const auto actual = lengths_test::allAnswers(table, folder);
        ASSERT_EQ(actual.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(actual[i], expected[i]) << "line " << i + 1;
        }
    }
}

} // namespace
