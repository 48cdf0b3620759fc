#include "ConversionRun.h"
#include "UnreadableFile.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace testing_support;

TEST(Mc1000Reader, EndsSilentlyWithoutASource)
{
    const std::pair<const char*, bool> cases[] = { { "no file", false }, { "empty file", true } };
    for (const auto& [name, exists] : cases) {
        SCOPED_TRACE(name);
        ConversionRun run;
        const std::string path = exists ? run.source("") : run.input.file("missing.txt");
        run.conversion.VERWERK_MC1000(path);
        EXPECT_FALSE(run.document());
        EXPECT_TRUE(run.messages.empty());
    }
}

TEST(Mc1000Reader, ReportsASourceItCannotOpen)
{
    if (const auto reason = UnreadableFile::impossibleBecause(); !reason.empty()) {
        GTEST_SKIP() << reason;
    }
    ConversionRun run;
    const std::string path = run.source("                4711            1\r\n");
    const UnreadableFile unreadable(path);
    run.writeOrderkop();
    run.conversion.VERWERK_MC1000(path);
    EXPECT_FALSE(run.document());
    EXPECT_EQ(run.messages.texts(), std::vector<std::string> { "Fout bij openen bronbestand " + path });
    EXPECT_TRUE(run.orderkopLeft());
}
