#include "lengths/LengthsUpdate.h"
#include "lengths/PipeLengthTable.h"
#include "lengths/UpdateCheck.h"
#include "platform/Paths.h"

#include "OtherTableProcess.h"
#include "RecordingMessages.h"
#include "UpdateTestSupport.h"

#include "Wine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#ifndef _WIN32
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#endif

using lengths::LengthsUpdate;
using lengths::OpenMode;
using lengths::OpenStatus;
using lengths::PipeLengthTable;
using testing_support::RecordingMessages;
using update_test::DownloadServer;
using update_test::ProgramFolder;

namespace {

// Writes down what the settings page would show, one entry per call.
class RecordingProgress final : public lengths::UpdateProgress
{
public:
    void clearPipeline() override { m_events.push_back("clear"); }
    void setStatus(const std::string& text) override { m_events.push_back("status " + text); }
    void markStep(int step, bool intact) override
    {
        m_events.push_back("step " + std::to_string(step) + (intact ? " intact" : " broken"));
    }
    void showEnd(bool withSign) override { m_events.push_back(withSign ? "end signed" : "end plain"); }
    void note(const std::string& event) { m_events.push_back(event); }

    const std::vector<std::string>& events() const { return m_events; }

private:
    std::vector<std::string> m_events;
};

struct UpdateRun
{
    bool succeeded = false;
    RecordingMessages messages;
    RecordingProgress progress;
};

// With a pause, each pause is noted among the progress events instead of being slept.
UpdateRun runUpdate(const ProgramFolder& folder, const std::string& host,
    std::chrono::milliseconds pause = std::chrono::milliseconds(0), const std::string& caFile = {})
{
    UpdateRun run;
    platform::FixedClock clock({ 2026, 12, 8 });
    LengthsUpdate update(folder.path(), host, clock, run.messages, run.progress, caFile);
    update.setPause(pause);
    update.setWait(
        [&run](std::chrono::milliseconds wait) { run.progress.note("pause " + std::to_string(wait.count())); });
    run.succeeded = update.run();
    return run;
}

// What the program folder holds of the pipe-length data, to compare before and after.
struct Snapshot
{
    std::string dbf, cdx, csv, versie;
    explicit Snapshot(const ProgramFolder& folder)
        : dbf(folder.bytes("lgt.dbf"))
        , cdx(folder.bytes("lgt.CDX"))
        , csv(folder.bytes("lgt.csv"))
        , versie(folder.bytes("lgt_versie.txt"))
    {
    }
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

// The table and its version stay as they were; lgt.csv may hold the new list.
void expectOldTableKept(const ProgramFolder& folder, const Snapshot& before)
{
    EXPECT_EQ(folder.bytes("lgt.dbf"), before.dbf);
    EXPECT_EQ(folder.bytes("lgt.CDX"), before.cdx);
    EXPECT_EQ(folder.bytes("lgt_versie.txt"), before.versie);
    EXPECT_FALSE(folder.has("lgt_nieuw.dbf"));
    EXPECT_FALSE(folder.has("lgt_nieuw.CDX"));
}

std::optional<double> lookUp(PipeLengthTable& table, const std::string& key)
{
    const lengths::SeekResult hit = table.seek(key);
    if (!hit.found) {
        return std::nullopt;
    }
    return table.numericValue(hit.record, "MT_LENGT");
}

// An old installation: the table from the supplier's earlier list, with its lgt.csv and version.
void installOldList(const ProgramFolder& folder)
{
    folder.put("lgt.csv", "old rows,1\r\n");
    folder.put("lgt_versie.txt", "2026-10-01 2026-10-01");
}

#ifdef _WIN32
// Another process holding the table open for a conversion, as the program does it.
class TableHolder
{
public:
    explicit TableHolder(const ProgramFolder& folder)
        : m_process(folder.file("lgt.dbf"), OpenMode::SharedReadOnly)
    {
    }
    bool isHolding() const { return m_process.opened(); }

private:
    OtherTableProcess m_process;
};
#else
// Another process holding the table open for a conversion: a shared lock on both files, the way
// the table code and xBase engines take it, until it is killed.
class TableHolder
{
public:
    explicit TableHolder(const ProgramFolder& folder)
    {
        const std::string ready = folder.file("held");
        const std::string script = "import fcntl, os, sys, time\n"
                                   "files = [open(p, 'rb') for p in sys.argv[1:3]]\n"
                                   "for f in files: fcntl.flock(f, fcntl.LOCK_SH | fcntl.LOCK_NB)\n"
                                   "open(sys.argv[3], 'w').close()\n"
                                   "time.sleep(60)\n";
        std::vector<std::string> args
            = { "python3", "-c", script, folder.file("lgt.dbf"), folder.file("lgt.CDX"), ready };
        std::vector<char*> argv;
        for (auto& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        if (::posix_spawnp(&m_pid, "python3", nullptr, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
            return;
        }
        for (int i = 0; i < 2000 && !folder.has("held"); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        m_holding = folder.has("held");
        std::filesystem::remove(ready);
    }
    ~TableHolder()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    bool isHolding() const { return m_holding; }

private:
    pid_t m_pid = -1;
    bool m_holding = false;
};
#endif

} // namespace

TEST(LengthsUpdate, RebuildsTheTableFromTheDownloadedList)
{
    DownloadServer server("--file", update_test::testData("lgt.csv"));
    ASSERT_TRUE(server.isRunning()) << server.log();
    ProgramFolder folder;
    installOldList(folder);

    const UpdateRun run = runUpdate(folder, server.hostPort());
    EXPECT_TRUE(run.succeeded);
    EXPECT_TRUE(run.messages.empty()) << ::testing::PrintToString(run.messages.texts());
    const std::vector<std::string> shown = {
        "clear",
        "status Download",
        "step 1 intact",
        "status Clear",
        "step 2 intact",
        "status Update",
        "step 3 intact",
        "status Create order",
        "step 4 intact",
        "status Gereed",
        "end signed",
        "status Versie 2026-12-01",
    };
    EXPECT_EQ(run.progress.events(), shown);
    EXPECT_EQ(server.requests(), std::vector<std::string> { "GET /be/transvo/lgt.csv\tHTTP" });

    EXPECT_EQ(folder.bytes("lgt_versie.txt"), "2026-12-01 2026-12-08");
    EXPECT_EQ(folder.bytes("lgt.csv"), platform::readFile(update_test::testData("lgt.csv")).value().substr(25));
    for (const char* leftover : { "lgt_download.csv", "lgt_nieuw.dbf", "lgt_nieuw.CDX" }) {
        EXPECT_FALSE(folder.has(leftover)) << leftover;
    }

    // The list is the one an established xBase engine rebuilt small's table from; the swapped-in
    // files must be the ones it wrote, but for the date of the last update (bytes 1 to 3).
    const std::string rebuilt = std::string(TRANSVO_FIXTURES) + "/lengths/rebuilt/";
    EXPECT_TRUE(folder.bytes("lgt.CDX") == platform::readFile(rebuilt + "lgt.CDX").value());
    std::string dbf = folder.bytes("lgt.dbf");
    const std::string expectedDbf = platform::readFile(rebuilt + "lgt.dbf").value();
    ASSERT_EQ(dbf.size(), expectedDbf.size());
    dbf.replace(1, 3, expectedDbf.substr(1, 3));
    EXPECT_TRUE(dbf == expectedDbf);

    PipeLengthTable table;
    ASSERT_EQ(table.open(folder.file("lgt.dbf"), OpenMode::SharedReadOnly), OpenStatus::Opened) << table.errorText();
    EXPECT_EQ(table.recordCount(), 8u);
    const std::pair<const char*, std::optional<double>> lookups[] = {
        { "12345678", 6.0 },
        { "30000011", 0.75 },
        { "  77", 5.0 },
        { "1234567", 5.5 },
        { "40000001", std::nullopt }, // only in the old table
        { "     123", std::nullopt },
    };
    for (const auto& [key, length] : lookups) {
        SCOPED_TRACE(key);
        const std::optional<double> found = lookUp(table, key);
        ASSERT_EQ(found.has_value(), length.has_value());
        if (found) {
            EXPECT_DOUBLE_EQ(*found, *length);
        }
    }
}

TEST(LengthsUpdate, ARefusedOrMissingDownloadLeavesEverythingAsItWas)
{
    struct Case
    {
        const char* mode;
        const char* message;
    };
    const Case cases[] = {
        { "bad-version", "Ongeldige tekens in dowload" },
        { "tiny-length", "Ongeldige tekens in dowload" },
        { "long-length", "Ongeldige tekens in dowload" },
        { "long-article", "Ongeldige tekens in dowload" },
        { "too-many-rows", "Ongeldige tekens in dowload" },
        { "two-commas", "Ontbrekende tekens in dowload" },
        { "blank-line", "Ontbrekende tekens in dowload" },
        { "empty", "Geen rechten of foutieve download" },
        { "404", "Geen rechten of foutieve download" },
        { "drop", "Geen rechten of foutieve download" },
        { "truncated", "Geen rechten of foutieve download" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        DownloadServer server(c.mode);
        ASSERT_TRUE(server.isRunning()) << server.log();
        ProgramFolder folder;
        installOldList(folder);
        const Snapshot before(folder);

        const UpdateRun run = runUpdate(folder, server.hostPort());
        EXPECT_FALSE(run.succeeded);
        EXPECT_EQ(run.messages.texts(), std::vector<std::string> { c.message });
        EXPECT_EQ(run.messages.last().kind, RecordingMessages::Kind::Error);
        const std::vector<std::string> shown
            = { "clear", "status Download", "step 1 broken", "end plain", "status Error" };
        EXPECT_EQ(run.progress.events(), shown);
        EXPECT_TRUE(Snapshot(folder) == before);
        EXPECT_FALSE(folder.has("lgt_download.csv"));
    }
}

TEST(LengthsUpdate, TakesTheListFromAnHttpsHostOnlyWithAVerifiedCertificate)
{
    const std::string certs = std::string(TRANSVO_BUILD_DIR) + "/test-certs";
    DownloadServer server(std::vector<std::string> { "--file", update_test::testData("lgt.csv"), "--cert-dir", certs });
    ASSERT_TRUE(server.isRunning()) << server.log();
#ifdef _WIN32
    // Schannel matches a certificate checked against our own CA by its DNS names only, so the
    // test certificate's 127.0.0.1 would not do.
    const std::string host = "https://localhost:" + server.hostPort().substr(server.hostPort().rfind(':') + 1);
#else
    const std::string host = "https://" + server.hostPort();
#endif
    for (const bool trusted : { false, true }) {
        SCOPED_TRACE(trusted);
        if (!trusted
            && testing_support::skippedUnderWine("untrusted https host", testing_support::kWineTrustsAnyServer)) {
            continue;
        }
        ProgramFolder folder;
        installOldList(folder);
        const Snapshot before(folder);
        const UpdateRun run = runUpdate(folder, host, std::chrono::milliseconds(0), trusted ? certs + "/ca.pem" : "");
        EXPECT_EQ(run.succeeded, trusted);
        if (trusted) {
            EXPECT_TRUE(run.messages.empty()) << ::testing::PrintToString(run.messages.texts());
            EXPECT_EQ(folder.bytes("lgt_versie.txt"), "2026-12-01 2026-12-08");
        } else {
            EXPECT_EQ(run.messages.texts(), std::vector<std::string> { "Geen rechten of foutieve download" });
            EXPECT_TRUE(Snapshot(folder) == before);
        }
    }
}

TEST(LengthsUpdate, ATableHeldByAnotherProcessIsReportedAndKept)
{
    DownloadServer server("good");
    ASSERT_TRUE(server.isRunning()) << server.log();
    ProgramFolder folder;
    installOldList(folder);
    const Snapshot before(folder);
    TableHolder holder(folder);
    ASSERT_TRUE(holder.isHolding());

    const UpdateRun run = runUpdate(folder, server.hostPort());
    EXPECT_FALSE(run.succeeded);
    EXPECT_EQ(run.messages.texts(),
        std::vector<std::string> { platform::joinPath(folder.path(), "lgt.dbf ERROR of database in gebruik") });
    const std::vector<std::string> shown
        = { "clear", "status Download", "step 1 intact", "status Clear", "step 2 broken", "end plain", "status Error" };
    EXPECT_EQ(run.progress.events(), shown);
    expectOldTableKept(folder, before);
    // The list itself was good, so it is kept for the next try.
    EXPECT_EQ(folder.bytes("lgt.csv").substr(0, 12), "12345678,5\r\n");
}

TEST(LengthsUpdate, AListWithoutRowsDoesNotEmptyTheTable)
{
    DownloadServer server("version-only");
    ASSERT_TRUE(server.isRunning()) << server.log();
    ProgramFolder folder;
    installOldList(folder);
    const Snapshot before(folder);

    const UpdateRun run = runUpdate(folder, server.hostPort());
    EXPECT_FALSE(run.succeeded);
    EXPECT_EQ(run.messages.texts(),
        std::vector<std::string> { platform::joinPath(folder.path(), "lgt.csv bestand niet gevonden.") });
    const std::vector<std::string> shown = {
        "clear",
        "status Download",
        "step 1 intact",
        "status Clear",
        "step 2 intact",
        "status Update",
        "step 3 broken",
        "end plain",
        "status Error",
    };
    EXPECT_EQ(run.progress.events(), shown);
    expectOldTableKept(folder, before);
    EXPECT_EQ(folder.bytes("lgt.csv"), before.csv);

    PipeLengthTable table;
    ASSERT_EQ(table.open(folder.file("lgt.dbf"), OpenMode::SharedReadOnly), OpenStatus::Opened);
    EXPECT_EQ(lookUp(table, "40000001"), 5.0);
}

TEST(LengthsUpdate, AVersionThatCannotBeRecordedIsToldAndTheNewTableStaysKnown)
{
    DownloadServer server("--file", update_test::testData("lgt.csv"));
    ASSERT_TRUE(server.isRunning()) << server.log();
    ProgramFolder folder;
    installOldList(folder);
    // A folder in its place: lgt_versie.txt cannot be replaced, the rest of the folder can.
    std::filesystem::remove(folder.file("lgt_versie.txt"));
    std::filesystem::create_directory(folder.file("lgt_versie.txt"));

    const UpdateRun run = runUpdate(folder, server.hostPort());
    EXPECT_TRUE(run.succeeded);
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_TRUE(run.messages.last().text.starts_with("Fout bij aanmaken lgt_versie.txt "));
    EXPECT_TRUE(run.messages.last().text.ends_with("\nDe nieuwe buislengten (versie 2026-12-01) zijn wel in gebruik."));
    const std::vector<std::string> end(run.progress.events().end() - 3, run.progress.events().end());
    EXPECT_EQ(end, (std::vector<std::string> { "status Gereed", "end signed", "status Versie 2026-12-01" }));

    PipeLengthTable table;
    ASSERT_EQ(table.open(folder.file("lgt.dbf"), OpenMode::SharedReadOnly), OpenStatus::Opened);
    EXPECT_EQ(lookUp(table, "30000011"), 0.75);
    table.close();

    // What the settings page shows at rest and what the start-up check compares agree with it.
    RecordingProgress resting;
    LengthsUpdate::showRestingState(folder.path(), resting);
    EXPECT_EQ(resting.events().back(), "status Versie 2026-12-01");
    RecordingMessages checked;
    platform::FixedClock later({ 2027, 2, 1 });
    EXPECT_EQ(lengths::UpdateCheck(folder.path(), server.hostPort(), later, checked).run(),
        lengths::UpdateCheck::Outcome::UpToDate);
    EXPECT_TRUE(checked.empty()) << ::testing::PrintToString(checked.texts());
}

TEST(LengthsUpdate, ReportsAnLgtCsvThatCannotBeWritten)
{
    DownloadServer server("good");
    ASSERT_TRUE(server.isRunning()) << server.log();
    ProgramFolder folder;
    std::filesystem::create_directory(folder.file("lgt.csv"));
    const Snapshot before(folder);

    const UpdateRun run = runUpdate(folder, server.hostPort());
    EXPECT_FALSE(run.succeeded);
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_TRUE(run.messages.last().text.starts_with("Fout bij aanmaken lgt.csv "));
    EXPECT_GT(run.messages.last().text.size(), std::string("Fout bij aanmaken lgt.csv ").size());
    EXPECT_TRUE(Snapshot(folder) == before);
    EXPECT_FALSE(folder.has("lgt_download.csv"));
}

TEST(LengthsUpdate, PausesAfterEachStepsStatus)
{
    DownloadServer server("good");
    ASSERT_TRUE(server.isRunning()) << server.log();
    ProgramFolder folder;

    const UpdateRun run = runUpdate(folder, server.hostPort(), std::chrono::milliseconds(60));
    EXPECT_TRUE(run.succeeded) << ::testing::PrintToString(run.messages.texts());
    // Four steps, each status followed at once by its pause: 240 ms in all to follow them by.
    std::vector<std::string> pausedAfter;
    const std::vector<std::string>& events = run.progress.events();
    for (std::size_t i = 1; i < events.size(); ++i) {
        if (events[i] == "pause 60") {
            pausedAfter.push_back(events[i - 1]);
        }
    }
    EXPECT_EQ(pausedAfter,
        (std::vector<std::string> { "status Download", "status Clear", "status Update", "status Create order" }));
}

TEST(LengthsUpdate, RestsOnTheWholePipelineAndTheRecordedVersion)
{
    ProgramFolder folder;
    const std::vector<std::string> pipeline
        = { "clear", "step 1 intact", "step 2 intact", "step 3 intact", "step 4 intact", "end plain" };
    const std::pair<const char*, const char*> cases[] = {
        { "2026-12-01 2026-12-08", "status Versie 2026-12-01" },
        { nullptr, "status Versie " },
    };
    for (const auto& [versie, status] : cases) {
        SCOPED_TRACE(status);
        if (versie) {
            folder.put("lgt_versie.txt", versie);
        } else {
            std::filesystem::remove(folder.file("lgt_versie.txt"));
        }
        RecordingProgress progress;
        LengthsUpdate::showRestingState(folder.path(), progress);
        std::vector<std::string> shown = pipeline;
        shown.push_back(status);
        EXPECT_EQ(progress.events(), shown);
    }
}
