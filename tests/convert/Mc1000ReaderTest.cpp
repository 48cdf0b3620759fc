#include "ReaderRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using namespace testing_support;

TEST(Mc1000Reader, EndsSilentlyWithoutASource)
{
    const std::pair<const char*, bool> cases[] = { { "no file", false }, { "empty file", true } };
    for (const auto& [name, exists] : cases) {
        SCOPED_TRACE(name);
        ReaderRun run;
        const std::string path = exists ? run.source("") : run.input.file("missing.txt");
        run.conversion.VERWERK_MC1000(path);
        EXPECT_FALSE(run.document());
        EXPECT_TRUE(run.messages.empty());
    }
}

TEST(Mc1000Reader, ReportsASourceItCannotOpen)
{
    if (geteuid() == 0) {
        GTEST_SKIP() << "root reads every file";
    }
    ReaderRun run;
    const std::string path = run.source("                4711            1\r\n");
    std::filesystem::permissions(path, std::filesystem::perms::none);
    run.writeOrderkop();
    run.conversion.VERWERK_MC1000(path);
    EXPECT_FALSE(run.document());
    EXPECT_EQ(run.messages.texts(), std::vector<std::string> { "Fout bij openen bronbestand " + path });
    EXPECT_TRUE(run.orderkopLeft());
}
