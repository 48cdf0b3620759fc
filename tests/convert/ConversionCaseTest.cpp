#include "ConversionRun.h"

#include "platform/Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace testing_support;

namespace {

std::vector<std::filesystem::path> caseFolders()
{
    std::vector<std::filesystem::path> folders;
    for (const auto& entry : std::filesystem::directory_iterator(TRANSVO_TEST_DATA "/convert")) {
        if (entry.is_directory() && std::filesystem::exists(entry.path() / "settings.txt")) {
            folders.push_back(entry.path());
        }
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

void runCase(const std::filesystem::path& folder)
{
    ConversionRun run;
    std::string error;
    ASSERT_TRUE(readCaseSettings((folder / "settings.txt").string(), run, error)) << error;

    if (const auto orderkop = readBytes((folder / "orderkop.txt").string())) {
        run.orderkop(*orderkop);
    }
    const auto source = readBytes((folder / "source.txt").string());
    ASSERT_TRUE(source) << "no source.txt";
    // The reader gets the source under its own name in another folder, as from the input folder.
    const std::string sourcePath = run.source(*source);
    ASSERT_TRUE(run.conversion.convert(run.settings.Schema, sourcePath, &run.lengths)) << "unknown Schema";

    const auto written = run.document();
    const auto expected = readBytes((folder / "dtbs.xml").string());
    if (expected) {
        ASSERT_TRUE(written) << "no dtbs.xml written";
        EXPECT_EQ(*written, *expected);
        EXPECT_EQ(xmlProblems(*written), "");
    } else {
        EXPECT_FALSE(written) << "dtbs.xml written where none may be";
    }
    EXPECT_FALSE(run.orderkopLeft()) << "orderkop.txt not consumed";

    const auto keys = readBytes((folder / "keys.txt").string());
    if (keys) {
        EXPECT_EQ(run.lengths.keys(), splitLines(*keys));
    }
    const auto texts = readBytes((folder / "messages.txt").string());
    EXPECT_EQ(run.messages.texts(), texts ? splitLines(*texts) : std::vector<std::string>());
}

} // namespace

TEST(ConversionCases, EachCaseFolderGivesItsDocumentByteForByte)
{
    const auto folders = caseFolders();
    ASSERT_FALSE(folders.empty());
    for (const auto& folder : folders) {
        SCOPED_TRACE(folder.filename().string());
        runCase(folder);
    }
}
