#include "OtherTableProcess.h"
#include "RecordingMessages.h"
#include "TempDir.h"
#include "lengths/PipeLengthLookup.h"
#include "lengths/PipeLengthTable.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <fstream>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using lengths::OpenMode;
using lengths::OpenStatus;
using lengths::PipeLengthTable;

namespace {

const std::string kSmall = std::string(TRANSVO_FIXTURES) + "/lengths/small/";

void copyFile(const std::string& from, const std::string& to)
{
    std::ifstream in(from, std::ios::binary);
    std::ofstream(to, std::ios::binary) << in.rdbuf();
}

#ifdef _WIN32
using OtherProcess = OtherTableProcess;
#else
// Another process that opens the table (or only one of its files, as an engine with just the
// index open would hold it) and keeps it open until told to stop.
class OtherProcess
{
public:
    OtherProcess(const std::string& tablePath, OpenMode mode)
    {
        int ready[2];
        int stop[2];
        EXPECT_EQ(pipe(ready), 0);
        EXPECT_EQ(pipe(stop), 0);
        m_pid = fork();
        if (m_pid == 0) {
            close(ready[0]);
            close(stop[1]);
            char status = 0;
            {
                PipeLengthTable table;
                status = table.open(tablePath, mode) == OpenStatus::Opened ? 'O' : 'X';
                (void)!write(ready[1], &status, 1);
                (void)!read(stop[0], &status, 1);
            }
            _exit(0);
        }
        close(ready[1]);
        close(stop[0]);
        m_stop = stop[1];
        char status = 0;
        EXPECT_EQ(read(ready[0], &status, 1), 1);
        close(ready[0]);
        m_opened = status == 'O';
    }
    ~OtherProcess()
    {
        close(m_stop);
        int status = 0;
        waitpid(m_pid, &status, 0);
    }
    bool opened() const { return m_opened; }

private:
    pid_t m_pid = -1;
    int m_stop = -1;
    bool m_opened = false;
};
#endif

class TableLocks : public ::testing::Test
{
protected:
    void SetUp() override
    {
        copyFile(kSmall + "lgt.dbf", m_dir.file("lgt.dbf"));
        copyFile(kSmall + "lgt.CDX", m_dir.file("lgt.CDX"));
    }
    std::string tablePath() const { return m_dir.file("lgt.dbf"); }

    testing_support::TempDir m_dir;
};

TEST_F(TableLocks, AReaderElsewhereKeepsTheRebuildOut)
{
    OtherProcess reader(tablePath(), OpenMode::SharedReadOnly);
    ASSERT_TRUE(reader.opened());

    PipeLengthTable table;
    EXPECT_EQ(table.open(tablePath(), OpenMode::Exclusive), OpenStatus::InUse);
    EXPECT_FALSE(table.isOpen());
    // Readers share.
    EXPECT_EQ(table.open(tablePath(), OpenMode::SharedReadOnly), OpenStatus::Opened);
    EXPECT_TRUE(table.seek("12345678").found);
}

TEST_F(TableLocks, ARebuildElsewhereKeepsReadersOutWithTheInUseMessage)
{
    OtherProcess rebuild(tablePath(), OpenMode::Exclusive);
    ASSERT_TRUE(rebuild.opened());

    testing_support::RecordingMessages messages;
    lengths::PipeLengthLookup lookup;
    EXPECT_FALSE(lookup.open(m_dir.path(), messages));
    const std::string inUse = m_dir.path() + platform::separator() + "lgt.dbf ERROR of database in gebruik";
    EXPECT_EQ(messages.texts(), std::vector<std::string> { inUse });
    EXPECT_FALSE(lookup.pipeLength("12345678"));

    PipeLengthTable table;
    EXPECT_EQ(table.open(tablePath(), OpenMode::Exclusive), OpenStatus::InUse);
}

TEST_F(TableLocks, TheLocksEndWithTheOtherProcess)
{
    {
        OtherProcess reader(tablePath(), OpenMode::SharedReadOnly);
        ASSERT_TRUE(reader.opened());
    }
    PipeLengthTable table;
    EXPECT_EQ(table.open(tablePath(), OpenMode::Exclusive), OpenStatus::Opened);
    // Within one process, too, an exclusive open excludes every other open.
    PipeLengthTable second;
    EXPECT_EQ(second.open(tablePath(), OpenMode::SharedReadOnly), OpenStatus::InUse);
    table.close();
    EXPECT_EQ(second.open(tablePath(), OpenMode::SharedReadOnly), OpenStatus::Opened);
}

#ifdef _WIN32
// xBase engines on Windows open each file with share modes: shared opens deny nobody, exclusive
// ones deny everybody.
TEST_F(TableLocks, WeAndTheEnginesSeeEachOthersLocksOnBothFiles)
{
    const auto engineOpen = [this](const char* file, bool exclusive) {
        return CreateFileW(platform::toWide(m_dir.file(file)).c_str(),
            exclusive ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ, exclusive ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE,
            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    for (const char* file : { "lgt.dbf", "lgt.CDX" }) {
        SCOPED_TRACE(file);
        const HANDLE engine = engineOpen(file, false);
        ASSERT_NE(engine, INVALID_HANDLE_VALUE);
        PipeLengthTable table;
        EXPECT_EQ(table.open(tablePath(), OpenMode::Exclusive), OpenStatus::InUse);
        CloseHandle(engine);
        EXPECT_EQ(table.open(tablePath(), OpenMode::Exclusive), OpenStatus::Opened);
    }
    PipeLengthTable reader;
    ASSERT_EQ(reader.open(tablePath(), OpenMode::SharedReadOnly), OpenStatus::Opened);
    for (const char* file : { "lgt.dbf", "lgt.CDX" }) {
        SCOPED_TRACE(file);
        EXPECT_EQ(engineOpen(file, true), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        const HANDLE engine = engineOpen(file, false);
        EXPECT_NE(engine, INVALID_HANDLE_VALUE);
        CloseHandle(engine);
    }
}
#else
// xBase engines on Linux lock with a whole-file flock() on each file they open.
TEST_F(TableLocks, WeAndTheEnginesSeeEachOthersLocksOnBothFiles)
{
    for (const char* file : { "lgt.dbf", "lgt.CDX" }) {
        SCOPED_TRACE(file);
        const int engine = ::open(m_dir.file(file).c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(engine, 0);
        ASSERT_EQ(flock(engine, LOCK_SH | LOCK_NB), 0);
        PipeLengthTable table;
        EXPECT_EQ(table.open(tablePath(), OpenMode::Exclusive), OpenStatus::InUse);
        ::close(engine);
        EXPECT_EQ(table.open(tablePath(), OpenMode::Exclusive), OpenStatus::Opened);
    }
    PipeLengthTable reader;
    ASSERT_EQ(reader.open(tablePath(), OpenMode::SharedReadOnly), OpenStatus::Opened);
    for (const char* file : { "lgt.dbf", "lgt.CDX" }) {
        SCOPED_TRACE(file);
        const int engine = ::open(m_dir.file(file).c_str(), O_RDWR | O_CLOEXEC);
        ASSERT_GE(engine, 0);
        EXPECT_NE(flock(engine, LOCK_EX | LOCK_NB), 0);
        EXPECT_EQ(flock(engine, LOCK_SH | LOCK_NB), 0);
        ::close(engine);
    }
}
#endif

} // namespace
