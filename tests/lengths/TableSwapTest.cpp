#include "lengths/PipeLengthLookup.h"
#include "lengths/TableFile.h"

#include "RecordingMessages.h"
#include "UpdateTestSupport.h"

#include <gtest/gtest.h>

using update_test::ProgramFolder;

namespace {

// The moment an update died between its two renames: the new index already in place over the
// old table, the new table still aside, the marker left behind.
void interruptSwap(const ProgramFolder& folder)
{
    const std::string rebuilt = std::string(TRANSVO_FIXTURES) + "/lengths/rebuilt/";
    folder.put("lgt.CDX", platform::readFile(rebuilt + "lgt.CDX").value());
    folder.put("lgt_nieuw.dbf", platform::readFile(rebuilt + "lgt.dbf").value());
    folder.put("lgt_wissel.lck", "");
}

} // namespace

TEST(TableSwap, AnInterruptedSwapIsCompletedBeforeTheTableIsRead)
{
    ProgramFolder folder;
    interruptSwap(folder);
    testing_support::RecordingMessages messages;
    lengths::PipeLengthLookup lookup;
    ASSERT_TRUE(lookup.open(folder.path(), messages)) << messages.texts().front();
    EXPECT_EQ(lookup.pipeLength("88888888"), 6.0) << "an article only the new table has";
    EXPECT_TRUE(
        folder.bytes("lgt.dbf") == platform::readFile(std::string(TRANSVO_FIXTURES) + "/lengths/rebuilt/lgt.dbf"));
    EXPECT_FALSE(folder.has("lgt_nieuw.dbf"));
    EXPECT_FALSE(folder.has("lgt_wissel.lck"));
}

TEST(TableSwap, ASwapUnderWayKeepsTheTableClosed)
{
    ProgramFolder folder;
    interruptSwap(folder);
    // The updating process still holds its marker.
    lengths::TableFile marker;
    ASSERT_EQ(marker.open(folder.file("lgt_wissel.lck"), true), lengths::TableFile::Result::Opened);
    testing_support::RecordingMessages messages;
    lengths::PipeLengthLookup lookup;
    EXPECT_FALSE(lookup.open(folder.path(), messages));
    EXPECT_EQ(messages.texts(), std::vector<std::string> { lengths::PipeLengthTable::inUseText(folder.path()) });
    EXPECT_TRUE(folder.has("lgt_nieuw.dbf")) << "the other process finishes its own swap";
}
