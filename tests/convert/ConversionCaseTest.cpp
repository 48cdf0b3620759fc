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

// Sets up run as the case folder says; returns the source path, empty when the case is broken.
std::string prepare(const std::filesystem::path& folder, ConversionRun& run)
{
    std::string error;
    EXPECT_TRUE(readCaseSettings((folder / "settings.txt").string(), run, error)) << error;
    if (const auto orderkop = readBytes((folder / "orderkop.txt").string())) {
        run.orderkop(*orderkop);
    }
    const auto source = readBytes((folder / "source.txt").string());
    EXPECT_TRUE(source) << "no source.txt";
    // The reader gets the source under its own name in another folder, as from the input folder.
    return error.empty() && source ? run.source(*source) : std::string();
}

// The preview's run of the case: the same document and messages as the send's, with nothing
// written or taken away, until the send's own step delivers it.
void previewCase(const std::filesystem::path& folder, const std::optional<std::string>& sent)
{
    ConversionRun run;
    const std::string sourcePath = prepare(folder, run);
    ASSERT_FALSE(sourcePath.empty());
    const auto orderkop = readBytes(run.work.file("orderkop.txt"));
    const convert::ConvertedOrder preview
        = run.conversion.convertInMemory(run.settings.Schema, sourcePath, &run.lengths);
    EXPECT_FALSE(run.hasDocument()) << "a preview wrote dtbs.xml";
    EXPECT_EQ(readBytes(run.work.file("orderkop.txt")), orderkop) << "a preview touched orderkop.txt";
    const auto texts = readBytes((folder / "messages.txt").string());
    EXPECT_EQ(run.messages.texts(), texts ? splitLines(*texts) : std::vector<std::string>());
    ASSERT_EQ(preview.hasOrder, sent.has_value());
    if (sent) {
        EXPECT_EQ(preview.document(), *sent);
        // The preview's table shows each line with the number, date and quantity that are sent.
        std::size_t items = 0;
        for (std::size_t at = sent->find("<ItemOut "); at != std::string::npos; at = sent->find("<ItemOut ", at + 1)) {
            ++items;
        }
        EXPECT_EQ(preview.order.lines.size(), items);
        for (std::size_t line = 0; line < preview.order.lines.size(); ++line) {
            const std::string item = "lineNumber=\"" + convert::previewCell(preview, line, 0)
                + "\" requestedDeliveryDate=\"" + preview.deliveryDate + "\" quantity=\""
                + convert::previewCell(preview, line, 2) + "\"";
            EXPECT_NE(sent->find(item), std::string::npos) << item;
        }
        EXPECT_TRUE(run.conversion.deliver(preview));
        EXPECT_EQ(run.document(), sent);
        EXPECT_FALSE(run.orderkopLeft());
    }
}

void runCase(const std::filesystem::path& folder)
{
    ConversionRun run;
    const std::string sourcePath = prepare(folder, run);
    ASSERT_FALSE(sourcePath.empty());
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
    previewCase(folder, written);
}

} // namespace

// Every case is also previewed, and the preview must give the sent document byte for byte.
TEST(ConversionCases, EachCaseFolderGivesItsDocumentByteForByte)
{
    const auto folders = caseFolders();
    ASSERT_FALSE(folders.empty());
    for (const auto& folder : folders) {
        SCOPED_TRACE(folder.filename().string());
        runCase(folder);
    }
}
