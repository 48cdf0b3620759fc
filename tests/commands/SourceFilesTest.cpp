#include "commands/SourceFiles.h"

#include "ScopedEnv.h"
#include "TempDir.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <ctime>
#include <sys/stat.h>

#ifdef _WIN32
#include <sys/utime.h>
#else
#include <sys/time.h>
#endif

using commands::fileNameLess;
using commands::listSourceFiles;
using commands::matchesFilePattern;

namespace {

// Makes the C library read TZ again.
void readZone()
{
#ifdef _WIN32
    _tzset();
#else
    ::tzset();
#endif
}

bool setLastWrite(const std::string& path, std::time_t when)
{
#ifdef _WIN32
    _utimbuf times { when, when };
    return ::_utime(path.c_str(), &times) == 0;
#else
    const ::timeval written[2] = { { when, 0 }, { when, 0 } };
    return ::utimes(path.c_str(), written) == 0;
#endif
}

} // namespace

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
#ifdef _WIN32
    // Windows lets only administrators make links, and has no named pipes in folders.
    const std::vector<std::string> listed = { "a.csv" };
#else
    std::filesystem::create_symlink(folder.file("missing"), folder.file("dangling.csv"));
    std::filesystem::create_symlink(folder.file("a.csv"), folder.file("link.csv"));
    ASSERT_EQ(::mkfifo(folder.file("pipe.csv").c_str(), 0600), 0);
    // A link is not listed even when it leads to an order: the e-mail would send its target.
    const std::vector<std::string> listed = { "a.csv" };
#endif
    std::filesystem::create_directories(folder.file("folder.csv"));
    const auto top = listSourceFiles(folder.path(), "*.csv");
    ASSERT_EQ(top.size(), listed.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(top[i].name, listed[i]);
    }
    EXPECT_EQ(top[0].path, folder.file("a.csv"));
    const auto sub = listSourceFiles(folder.path(), "sub/*.csv");
    ASSERT_EQ(sub.size(), 1u);
    EXPECT_EQ(sub[0].path, platform::joinPath(folder.file("sub"), "b.csv"));
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
        readZone();
        testing_support::TempDir folder;
        std::ofstream(folder.file("a.csv")) << "x";
        // 2024-03-05 23:04:05 UTC is already the next day in Brussels.
        ASSERT_TRUE(setLastWrite(folder.file("a.csv"), 1709679845));
        files = listSourceFiles(folder.path(), "*.*");
    }
    readZone();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].time, "00:04:05");
    EXPECT_EQ(files[0].date, "2024-03-06");
}
