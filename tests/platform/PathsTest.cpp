#include "platform/Paths.h"
#include "platform/Files.h"
#include "platform/TextFormat.h"

#include "OwnerOnly.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>

#ifndef _WIN32
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#ifdef _WIN32
#include "platform/WideText.h"

#include <windows.h>
// windows.h names ReplaceFileW so; the tests below mean platform::replaceFile.
#undef ReplaceFile
#endif

namespace {

#ifdef _WIN32
// Writing below a file that stands where a folder must be.
const int kNotAFolder = ERROR_PATH_NOT_FOUND;
#else
const int kNotAFolder = ENOTDIR;
#endif

} // namespace

TEST(WorkFolder, IsAppDataWithVaroOrElseTheProgramFolder)
{
    EXPECT_EQ(platform::workFolderFor(nullptr, "/opt/transvo"), "/opt/transvo");
    EXPECT_EQ(platform::workFolderFor("", "/opt/transvo"), "/opt/transvo");
    EXPECT_EQ(platform::workFolderFor("/home/u/.config", "/opt/transvo"),
        std::string("/home/u/.config") + platform::separator() + "VARO");
}

TEST(ProgramFolder, IsTheFolderOfTheRunningExecutable)
{
    EXPECT_TRUE(platform::folderExists(platform::programFolder()));
#ifdef _WIN32
    // The build folder as Windows names it (a drive letter, backslashes).
    EXPECT_TRUE(platform::fileExists(platform::joinPath(platform::programFolder(), "test_platform.exe")));
    EXPECT_EQ(platform::fileName(platform::programFolder()), "tests");
#else
    EXPECT_EQ(platform::programFolder(), std::string(TRANSVO_BUILD_DIR) + "/tests");
#endif
}

TEST(DataFolder, IsAWritableProgramFolderOrElseTheUsersSeededCopy)
{
    testing_support::TempDir dir;
    const std::string program = dir.file("program");
    // A user name outside the ANSI code page, as Windows users' folders may have.
    const std::string user = dir.file("home/Jos\xC3\xA9/.local/share/transvo");
    ASSERT_TRUE(platform::createFolder(program));
    for (const char* name : { "lgt.dbf", "lgt.CDX", "lgt.csv", "lgt_versie.txt" }) {
        ASSERT_TRUE(platform::replaceFile(platform::joinPath(program, name), std::string("installed ") + name));
    }

    // A copy of the program folder keeps its files beside the program; nothing is copied.
    EXPECT_EQ(platform::dataFolderFor(program, true, user), program);
    EXPECT_FALSE(platform::folderExists(user));
    EXPECT_EQ(platform::dataFolderFor(program, false, ""), program);

    // An installed one: the user's folder is made, with its parents, and seeded once.
    EXPECT_EQ(platform::dataFolderFor(program, false, user), user);
    EXPECT_EQ(platform::readFile(platform::joinPath(user, "lgt_versie.txt")).value_or(""), "installed lgt_versie.txt");
    // An update rewrote the user's files: they stay as they are.
    ASSERT_TRUE(platform::replaceFile(platform::joinPath(user, "lgt.dbf"), "updated"));
    ASSERT_TRUE(platform::replaceFile(platform::joinPath(user, "lgt_versie.txt"), "updated"));
    EXPECT_EQ(platform::dataFolderFor(program, false, user), user);
    EXPECT_EQ(platform::readFile(platform::joinPath(user, "lgt.dbf")).value_or(""), "updated");
    // A lost index takes the whole set again, so table, index and version match; an installation
    // without a version file leaves none.
    ASSERT_TRUE(platform::removeFile(platform::joinPath(user, "lgt.CDX")));
    ASSERT_TRUE(platform::removeFile(platform::joinPath(program, "lgt_versie.txt")));
    EXPECT_EQ(platform::dataFolderFor(program, false, user), user);
    for (const char* name : { "lgt.dbf", "lgt.CDX" }) {
        SCOPED_TRACE(name);
        EXPECT_EQ(platform::readFile(platform::joinPath(user, name)).value_or(""), std::string("installed ") + name);
    }
    EXPECT_FALSE(platform::fileExists(platform::joinPath(user, "lgt_versie.txt")));
}

TEST(ReplaceFile, WritesWholeFilesAndKeepsTheOldOneOnFailure)
{
    testing_support::TempDir dir;
    const std::string path = dir.file("config.xml");
    ASSERT_TRUE(platform::replaceFile(path, "first"));
    ASSERT_TRUE(platform::replaceFile(path, "second", platform::Access::OwnerOnly));
    EXPECT_EQ(platform::readFile(path).value_or(""), "second");
    EXPECT_TRUE(testing_support::isOwnerOnly(path));

    // A file standing where the folder must be: the write fails with the OS text.
    std::ofstream(dir.file("blocker")) << "x";
    const auto failed = platform::replaceFile(dir.file("blocker") + "/config.xml", "x");
    EXPECT_FALSE(failed);
    EXPECT_EQ(failed.osError, platform::errorText(kNotAFolder));
    EXPECT_EQ(platform::readFile(path).value_or(""), "second");
}

#ifndef _WIN32
// A file-size limit is how a test makes the disk "full"; Windows has none.
TEST(ReplaceFile, AWriteErrorPartWayThroughAPieceWiseFileKeepsTheOldOne)
{
    testing_support::TempDir dir;
    const std::string path = dir.file("dtbs.xml");
    ASSERT_TRUE(platform::replaceFile(path, "old"));
    // A file-size limit makes the disk "full" after 4 KiB, even for root; run in a child so the
    // limit does not outlive the test.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit { 4096, 4096 };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        int pieces = 0;
        const auto written = platform::replaceFileWith(path, [&pieces](platform::ByteSink& sink) {
            for (int i = 0; i < 100; ++i, ++pieces) {
                sink.write(std::string(1000, 'x'));
            }
        });
        const bool asExpected = !written && written.osError == platform::errorText(EFBIG) && pieces == 100;
        ::_exit(asExpected ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(platform::readFile(path).value_or(""), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary file left";
}
#endif

#ifndef _WIN32
TEST(ReplaceFile, LeftoversOfAStoppedWriteGoOnlyWhenOld)
{
    testing_support::TempDir dir;
    const std::string old = dir.file(".transvo-AbC123");
    const std::string recent = dir.file(".transvo-XyZ789");
    const std::string other = dir.file(".transvo-notours");
    for (const std::string& path : { old, recent, other }) {
        std::ofstream(path) << "half";
    }
    const auto hoursAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(2);
    std::filesystem::last_write_time(old, hoursAgo);
    std::filesystem::last_write_time(other, hoursAgo);
    platform::removeLeftoverTemporaries(dir.path());
    EXPECT_FALSE(std::filesystem::exists(old));
    EXPECT_TRUE(std::filesystem::exists(recent)) << "may be another instance's write in progress";
    EXPECT_TRUE(std::filesystem::exists(other));
}
#endif

TEST(FileStamp, ChangesWithARewriteOfTheSameSize)
{
    testing_support::TempDir dir;
    const std::string path = dir.file("order.csv");
    ASSERT_TRUE(platform::replaceFile(path, "1;1\r\n"));
    const auto first = platform::fileStamp(path);
    ASSERT_TRUE(first);
    EXPECT_EQ(platform::fileStamp(path), first);
    // Written anew within the same instant and to the same size: the identity tells them apart.
    ASSERT_TRUE(platform::replaceFile(path, "2;2\r\n"));
    const auto second = platform::fileStamp(path);
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    EXPECT_FALSE(platform::fileStamp(dir.path()));
    EXPECT_FALSE(platform::fileStamp(dir.file("missing")));
}

TEST(TextFormat, UsesTheDecimalCommaAndThreeDecimals)
{
    EXPECT_EQ(platform::formatNumber(2.5), "2,500");
    EXPECT_EQ(platform::formatNumber(-0.0004), "-0,000");
    EXPECT_EQ(platform::formatNumber(12, 0), "12");
    EXPECT_EQ(platform::formatNumber(1.5, 1, '.'), "1.5");
}

TEST(Files, HandleNamesOutsideTheAnsiCodePage)
{
    testing_support::TempDir dir;
    // Dutch, Polish and the euro sign: no single Windows code page holds them all.
    const std::string folder = platform::joinPath(dir.path(),
        "Bestellingen \xC4\xB3 \xC5\x81\xC3\xB3"
        "d\xC5\xBA");
    ASSERT_TRUE(platform::createFolder(folder));
    EXPECT_TRUE(platform::folderExists(folder));
    const std::string file = platform::joinPath(folder, "caf\xC3\xA9 \xE2\x82\xAC.xml");
    ASSERT_TRUE(platform::replaceFile(file, "old"));
    ASSERT_TRUE(platform::replaceFile(file, "new!"));
    EXPECT_EQ(platform::readFile(file).value_or(""), "new!");
    EXPECT_EQ(platform::fileSize(file), 4u);

    const std::string other = platform::joinPath(folder,
        "\xC5\x81\xC3\xB3"
        "d\xC5\xBA.xml");
    ASSERT_TRUE(platform::replaceFile(other, "other"));
    std::string error;
    ASSERT_TRUE(platform::renameFile(other, file, &error)) << error;
    EXPECT_EQ(platform::readFile(file).value_or(""), "other");
    EXPECT_FALSE(platform::fileExists(other));
    EXPECT_TRUE(platform::removeFile(file));
    EXPECT_FALSE(platform::fileExists(file));

    EXPECT_FALSE(platform::renameFile(other, file, &error));
    EXPECT_FALSE(error.empty());
}

TEST(WorkFolder, ComesFromAppDataAsTheSystemHoldsIt)
{
    const std::string appData = "C:\\Users\\J\xC3\xB3zef \xC5\x81\xC3\xB3"
                                "d\xC5\xBA\\AppData\\Roaming";
#ifdef _WIN32
    const wchar_t* old = _wgetenv(L"AppData");
    const std::wstring saved = old ? old : L"";
    _wputenv_s(L"AppData", platform::toWide(appData).c_str());
    EXPECT_EQ(platform::workFolder("C:\\Transvo"), appData + "\\VARO");
    _wputenv_s(L"AppData", saved.c_str());
#else
    const char* old = std::getenv("AppData");
    const std::string saved = old ? old : "";
    ::setenv("AppData", appData.c_str(), 1);
    EXPECT_EQ(platform::workFolder("/opt/transvo"), appData + "/VARO");
    old ? ::setenv("AppData", saved.c_str(), 1) : ::unsetenv("AppData");
#endif
}

TEST(ErrorText, IsTheSystemsOwnSentence)
{
#ifdef _WIN32
    const int missing = ERROR_FILE_NOT_FOUND;
#else
    const int missing = ENOENT;
#endif
    std::string error;
    EXPECT_FALSE(platform::readFile("no such file here", &error));
    EXPECT_EQ(error, platform::errorText(missing));
    EXPECT_FALSE(error.empty());
    // Messages put more text after it on the same line.
    EXPECT_EQ(error.find_first_of("\r\n"), std::string::npos);
    EXPECT_NE(error, "Fout " + std::to_string(missing));
}
