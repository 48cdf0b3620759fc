#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/TextFormat.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

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
    EXPECT_EQ(platform::programFolder(), std::string(TRANSVO_BUILD_DIR) + "/tests");
}

TEST(ReplaceFile, WritesWholeFilesAndKeepsTheOldOneOnFailure)
{
    testing_support::TempDir dir;
    const std::string path = dir.file("config.xml");
    ASSERT_TRUE(platform::replaceFile(path, "first"));
    ASSERT_TRUE(platform::replaceFile(path, "second", platform::Access::OwnerOnly));
    EXPECT_EQ(platform::readFile(path).value_or(""), "second");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // A file standing where the folder must be: the write fails with the OS text.
    std::ofstream(dir.file("blocker")) << "x";
    const auto failed = platform::replaceFile(dir.file("blocker") + "/config.xml", "x");
    EXPECT_FALSE(failed);
    EXPECT_EQ(failed.osError, platform::errorText(ENOTDIR));
    EXPECT_EQ(platform::readFile(path).value_or(""), "second");
}

TEST(TextFormat, UsesTheDecimalCommaAndThreeDecimals)
{
    EXPECT_EQ(platform::formatNumber(2.5), "2,500");
    EXPECT_EQ(platform::formatNumber(-0.0004), "-0,000");
    EXPECT_EQ(platform::formatNumber(12, 0), "12");
    EXPECT_EQ(platform::formatNumber(1.5, 1, '.'), "1.5");
}
