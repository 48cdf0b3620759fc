#include "commands/SourceFiles.h"

#include "ScopedEnv.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <ctime>
#include <sys/stat.h>
#include <sys/time.h>

using commands::fileNameLess;
using commands::listSourceFiles;
using commands::matchesFilePattern;

TEST(SourceFiles, MatchWindowsStylePatterns)
{
    const struct
    {
        const char* name;
        const char* pattern;
        bool matches;
    } cases[] = {
        { "order.csv", "*.csv", true },
        { "ORDER.CSV", "*.csv", true },
        { "order.csv.bak", "*.csv", false },
        { "order.txt", "*.csv", false },
        { "order", "*.*", true },
        { "order.csv", "*", true },
        { "a1.csv", "a?.csv", true },
        { "a.csv", "a?.csv", false },
        { "a12.csv", "a?.csv", false },
        { "order.csv", "order.csv", true },
        { "order.csv", "Order.CSV", true },
        { "xorder.csv", "order.csv", false },
        { "abcabd", "*ab?", true },
        { "[a].csv", "[a].csv", true },
        { "a.csv", "[a].csv", false },
        { "order.csv", "", false },
        { "aaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*a*c", false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " ~ " + c.pattern);
        EXPECT_EQ(matchesFilePattern(c.name, c.pattern), c.matches);
    }
}

TEST(SourceFiles, SortLikeTheWindowsFileSystem)
{
    // Upper-case comparison: '_' comes after the letters, digits before them.
    const std::pair<const char*, const char*> ordered[] = {
        { "a.csv", "B.csv" },
        { "ab.csv", "a_b.csv" },
        { "1.csv", "a.csv" },
        { "a.csv", "a.csv1" },
        { "A.csv", "a.csv" },
    };
    for (const auto& [first, second] : ordered) {
        SCOPED_TRACE(std::string(first) + " < " + second);
        EXPECT_TRUE(fileNameLess(first, second));
        EXPECT_FALSE(fileNameLess(second, first));
    }
}

TEST(SourceFiles, ListOnlyOrdinaryFilesAndFollowAFolderInThePattern)
{
    testing_support::TempDir folder;
    std::filesystem::create_directories(folder.file("sub"));
    for (const char* name : { "a.csv", "sub/b.csv", "sub/.c.csv" }) {
        std::ofstream(folder.file(name)) << "x";
    }
    std::filesystem::create_symlink(folder.file("missing"), folder.file("dangling.csv"));
    std::filesystem::create_symlink(folder.file("a.csv"), folder.file("link.csv"));
    ASSERT_EQ(::mkfifo(folder.file("pipe.csv").c_str(), 0600), 0);
    std::filesystem::create_directories(folder.file("folder.csv"));
    const auto top = listSourceFiles(folder.path(), "*.csv");
    ASSERT_EQ(top.size(), 2u);
    EXPECT_EQ(top[0].name, "a.csv");
    EXPECT_EQ(top[0].path, folder.file("a.csv"));
    EXPECT_EQ(top[1].name, "link.csv");
    const auto sub = listSourceFiles(folder.path(), "sub/*.csv");
    ASSERT_EQ(sub.size(), 1u);
    EXPECT_EQ(sub[0].path, folder.file("sub") + "/b.csv");
    EXPECT_TRUE(listSourceFiles(folder.file("none"), "*.csv").empty());
    const auto here = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    EXPECT_TRUE(listSourceFiles("", "*.csv").empty());
    std::filesystem::current_path(here);
}

TEST(SourceFiles, StampTheLastWriteInLocalTime)
{
    std::vector<commands::SourceFile> files;
    {
        testing_support::ScopedEnv zone("TZ", "CET-1");
        ::tzset();
        testing_support::TempDir folder;
        std::ofstream(folder.file("a.csv")) << "x";
        // 2024-03-05 23:04:05 UTC is already the next day in Brussels.
        const ::timeval written[2] = { { 1709679845, 0 }, { 1709679845, 0 } };
        ASSERT_EQ(::utimes(folder.file("a.csv").c_str(), written), 0);
        files = listSourceFiles(folder.path(), "*.*");
    }
    ::tzset();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].time, "00:04:05");
    EXPECT_EQ(files[0].date, "2024-03-06");
}
