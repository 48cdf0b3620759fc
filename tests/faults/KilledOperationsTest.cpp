// The program killed at any moment of the operations that change its files: each operation runs
// in a child process that gets SIGKILL after a random delay spread over the operation's whole
// run, and what is on disk afterwards must be the state before or the state after, whole. Linux
// only: Windows has no fork().
#include "commands/SendOrderCommand.h"
#include "config/ConfigWriter.h"
#include "lengths/LengthsUpdate.h"
#include "lengths/PipeLengthLookup.h"
#include "lengths/PipeLengthTable.h"
#include "lengths/UpdateVersionFile.h"
#include "orderinfo/OrderkopForm.h"

#include "RecordingMessages.h"
#include "TempDir.h"
#include "commands/TestWindow.h"
#include "lengths/UpdateTestSupport.h"
#include "transfer/WebshopPeer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

using testing_support::RecordingMessages;
using testing_support::TempDir;

#ifndef _WIN32

namespace {

constexpr int kKills = 200;

using Clock = std::chrono::steady_clock;

// How one child ended: killed, or finished after the given time from the fork.
struct ChildEnd
{
    bool killed = false;
    std::optional<std::chrono::nanoseconds> took;
};

// Runs operation in a child process; with a delay, kills it that long after the fork unless it
// ended first. A child that finishes reports its end time through a pipe.
ChildEnd runChild(const std::function<void()>& operation, std::optional<std::chrono::nanoseconds> delay)
{
    int ends[2];
    if (pipe(ends) != 0) {
        ADD_FAILURE() << "pipe failed";
        return {};
    }
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        close(ends[0]);
        operation();
        const Clock::rep end = Clock::now().time_since_epoch().count();
        [[maybe_unused]] const ssize_t written = write(ends[1], &end, sizeof end);
        // No destructors or exit handlers of the test process: they would delete its folders.
        _exit(0);
    }
    close(ends[1]);
    if (child < 0) {
        close(ends[0]);
        ADD_FAILURE() << "fork failed";
        return {};
    }
    if (delay) {
        const std::timespec wait { static_cast<std::time_t>(delay->count() / 1000000000),
            static_cast<long>(delay->count() % 1000000000) };
        clock_nanosleep(CLOCK_MONOTONIC, 0, &wait, nullptr);
        kill(child, SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ChildEnd result;
    result.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    Clock::rep end = 0;
    if (!result.killed && read(ends[0], &end, sizeof end) == static_cast<ssize_t>(sizeof end)) {
        result.took
            = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::time_point(Clock::duration(end)) - start);
    }
    close(ends[0]);
    return result;
}

// What one operation's kills found. inspect names the state on disk ("old", "new", ...) and
// adds a description to *fault when the state is neither whole nor allowed.
struct KillRun
{
    const char* name;
    std::function<void()> prepare; // in the test process: the files as before the operation
    std::function<void()> operation; // in the child
    std::function<std::string(std::string* fault)> inspect;
};

void killAtRandomMoments(const KillRun& run)
{
    // The length of a whole run follows the runs that finished: the median of the last few. The
    // first runs are often slower (cold caches), so a fixed estimate would leave the end unhit.
    std::vector<std::chrono::nanoseconds> recent;
    const auto noteRun = [&recent](std::chrono::nanoseconds took) {
        recent.push_back(took);
        if (recent.size() > 9) {
            recent.erase(recent.begin());
        }
    };
    const auto whole = [&recent]() {
        std::vector<std::chrono::nanoseconds> sorted = recent;
        std::sort(sorted.begin(), sorted.end());
        return std::max(sorted[sorted.size() / 2], std::chrono::nanoseconds(1000));
    };
    for (int i = 0; i < 3; ++i) {
        run.prepare();
        const ChildEnd end = runChild(run.operation, std::nullopt);
        std::string fault;
        ASSERT_EQ(run.inspect(&fault), "new") << "an undisturbed run must finish: " << fault;
        ASSERT_TRUE(end.took) << "an undisturbed run must report its end";
        noteRun(*end.took);
    }

    // A fifth past the usual end, so the last steps are hit too, however long they took this time.
    std::mt19937_64 random(std::random_device {}());
    int kills = 0;
    int finished = 0;
    std::array<int, 4> quarters {};
    std::map<std::string, int> states;
    std::vector<std::string> faults;
    for (int attempt = 0; kills < kKills && attempt < 10 * kKills; ++attempt) {
        run.prepare();
        const std::chrono::nanoseconds length = whole();
        const std::chrono::nanoseconds delay(
            std::uniform_int_distribution<std::int64_t>(0, length.count() * 6 / 5)(random));
        const ChildEnd end = runChild(run.operation, delay);
        if (end.killed) {
            ++kills;
            ++quarters[std::min<std::size_t>(3, static_cast<std::size_t>(4 * delay.count() / length.count()))];
        } else {
            ++finished;
            if (end.took) {
                noteRun(*end.took);
            }
        }
        std::string fault;
        ++states[run.inspect(&fault)];
        if (!fault.empty()) {
            faults.push_back("killed after " + std::to_string(delay.count() / 1000) + " us: " + fault);
        }
    }

    std::ostringstream seen;
    for (const auto& [state, count] : states) {
        seen << " " << state << " " << count << ",";
    }
    std::printf("faults: %s: %d kills (per quarter of a %lld us run: %d %d %d %d), %d runs ended first, states:%s "
                "failures %zu\n",
        run.name, kills, static_cast<long long>(whole().count() / 1000), quarters[0], quarters[1], quarters[2],
        quarters[3], finished, seen.str().c_str(), faults.size());
    std::fflush(stdout);
    EXPECT_GE(kills, kKills);
    for (const int quarter : quarters) {
        EXPECT_GT(quarter, 0) << "the kills must reach every part of the run";
    }
    EXPECT_GT(states["old"], 0);
    EXPECT_GT(states["new"], 0);
    for (std::size_t i = 0; i < faults.size() && i < 5; ++i) {
        ADD_FAILURE() << faults[i];
    }
}

std::string bytesOf(const std::string& path)
{
    return platform::readFile(path).value_or("<missing>");
}

// The state of a file that is replaced whole: its old bytes, its new bytes, nothing else.
std::string wholeFile(const std::string& path, const std::string& before, const std::string& after, std::string* fault)
{
    const std::string now = bytesOf(path);
    if (now == before) {
        return "old";
    }
    if (now == after) {
        return "new";
    }
    *fault = path + " is neither the old nor the new file (" + std::to_string(now.size()) + " bytes)";
    return "broken";
}

} // namespace

TEST(Killed, PipeLengthUpdateLeavesTheOldOrTheNewTableWhole)
{
    // The new list: a few thousand rows of the large reference set, so the rebuild has some length.
    const std::string rows = bytesOf(std::string(TRANSVO_TEST_DATA) + "/lengths/large/lgt.csv").substr(0, 60000);
    TempDir served;
    const std::string list = "# Versie --->2026-11-30\r\n" + rows.substr(0, rows.rfind("\r\n") + 2);
    ASSERT_TRUE(platform::replaceFile(served.file("lgt.csv"), list));
    update_test::DownloadServer server("--file", served.file("lgt.csv"));
    ASSERT_TRUE(server.isRunning()) << server.log();

    // Searches that tell the tables apart: the old table's reference keys and some new articles.
    std::vector<std::string> keys;
    std::istringstream oldKeys(bytesOf(std::string(TRANSVO_TEST_DATA) + "/lengths/small/keys.txt"));
    for (std::string key; std::getline(oldKeys, key);) {
        keys.push_back(key);
    }
    for (std::size_t at = 0; at < rows.size() && keys.size() < 60; at = rows.find('\n', at) + 1) {
        keys.push_back(rows.substr(at, rows.find(',', at) - at));
    }
    const auto answers = [&keys](const std::string& folder) {
        std::string text;
        lengths::PipeLengthTable table;
        if (table.open(folder + "/lgt.dbf", lengths::OpenMode::SharedReadOnly) != lengths::OpenStatus::Opened) {
            return std::string("<does not open: ") + table.errorText() + ">";
        }
        for (const std::string& key : keys) {
            const lengths::SeekResult hit = table.seek(key);
            text += "[" + key + "] " + (hit.found ? "FOUND " : "MISS ") + hit.key + " "
                + std::to_string(hit.found ? table.numericValue(hit.record, "MT_LENGT").value_or(-1) : 0) + "\n";
        }
        return text + "rows " + std::to_string(table.recordCount());
    };

    std::unique_ptr<update_test::ProgramFolder> folder;
    const std::string oldList = bytesOf(std::string(TRANSVO_TEST_DATA) + "/lengths/small/lgt.csv");
    const auto prepare = [&]() {
        folder = std::make_unique<update_test::ProgramFolder>("small");
        folder->put("lgt.csv", oldList);
        folder->put("lgt_versie.txt", "2026-01-15 2026-01-15");
    };
    prepare();
    const std::string before = answers(folder->path());
    std::string after;
    std::string newList;

    KillRun run { "pipe-length update", prepare,
        [&]() {
            struct : lengths::UpdateProgress
            {
                void clearPipeline() override { }
                void setStatus(const std::string&) override { }
                void markStep(int, bool) override { }
                void showEnd(bool) override { }
            } progress;
            RecordingMessages messages;
            const platform::FixedClock clock({ 2026, 12, 8 });
            lengths::LengthsUpdate update(folder->path(), server.hostPort(), clock, messages, progress);
            update.setPause(std::chrono::milliseconds(0));
            update.run();
        },
        [&](std::string* fault) -> std::string {
            // The way a conversion opens it first: it must open whatever moment the update died.
            RecordingMessages messages;
            lengths::PipeLengthLookup lookup;
            if (!lookup.open(folder->path(), messages)) {
                *fault = "the table does not open";
                return "broken";
            }
            lookup.close();
            const std::string now = answers(folder->path());
            if (after.empty()) {
                after = now; // the undisturbed first run
                newList = bytesOf(folder->file("lgt.csv"));
            }
            const std::string state = now == before ? "old" : now == after ? "new" : "broken";
            lengths::UpdateVersionFile version(folder->path());
            version.read();
            const std::string listNow = bytesOf(folder->file("lgt.csv"));
            if (state == "broken") {
                *fault = "the table answers neither as the old nor as the new one:\n" + now;
            } else if (version.version() == "2026-11-30" && state != "new") {
                *fault = "lgt_versie.txt names the new version over the old table";
            } else if (listNow != oldList && listNow != newList) {
                *fault = "lgt.csv is neither the old nor the new list";
            }
            return state;
        } };
    killAtRandomMoments(run);
    EXPECT_NE(before, after);
}

TEST(Killed, SettingsSaveLeavesTheOldOrTheNewConfigWhole)
{
    TempDir home;
    const std::string work = home.file("VARO");
    const std::string path = work + "/config.xml";
    config::Settings settings;
    settings.Identity = "klant1";
    settings.MapIn = "/data/oud";
    const std::string before = config::configText(config::ConfigValues::fromSettings(settings));
    settings.Identity = "klant2";
    settings.MapIn = "/data/nieuw/met/een/langere/naam";
    const config::ConfigValues values = config::ConfigValues::fromSettings(settings);
    const std::string after = config::configText(values);

    killAtRandomMoments({ "settings save",
        [&]() {
            std::filesystem::create_directories(work);
            ASSERT_TRUE(platform::replaceFile(path, before, platform::Access::OwnerOnly));
        },
        [&]() {
            RecordingMessages messages;
            config::writeConfig(work, values, messages);
        },
        [&](std::string* fault) { return wholeFile(path, before, after, fault); } });
}

TEST(Killed, OrderInformationSaveLeavesTheOldOrTheNewOrderkopWhole)
{
    TempDir work;
    const std::string path = orderinfo::orderkopPath(work.path());
    orderinfo::Orderkop form;
    form.orderReference = "ORDER 2";
    form.deliveryDate = "2026-12-21";
    form.name1 = "Bouwbedrijf M\xC3\xBCller";
    form.street = "Lange straat 100";
    form.town = "GENT";
    form.country = "BE";
    const std::string before = "ORDER 1\r\n";
    const orderinfo::FieldNames names {};
    std::string after;

    killAtRandomMoments({ "order-information save", [&]() { ASSERT_TRUE(platform::replaceFile(path, before)); },
        [&]() {
            RecordingMessages messages;
            orderinfo::saveForm(form, names, work.path(), { 2026, 12, 8 }, messages);
        },
        [&](std::string* fault) {
            if (after.empty()) {
                after = bytesOf(path); // the undisturbed first run
            }
            return wholeFile(path, before, after, fault);
        } });
}

TEST(Killed, SendOrderKeepsTheSourceUntilTheWebshopAccepted)
{
    WebshopPeer shop;
    ASSERT_TRUE(shop.isRunning()) << shop.log();
    TempDir home;
    const std::string work = home.file("VARO");
    const std::string input = home.file("in");
    const std::string source = input + "/order.csv";
    config::Settings settings;
    settings.Identity = "klant42";
    settings.Schema = "CSV";
    settings.CSV_char = ";";
    settings.CSV_art = 1;
    settings.CSV_aant = 2;
    settings.DirectERP = "1"; // no browser to start
    settings.Filiaal = "BEL";
    settings.MapIn = input;
    settings.Extentie = "*.csv";
    settings.Bestand_del = "YES";
    platform::Deployment deployment;
    deployment.webshopBe = shop.hostPort();
    deployment.webshopNl = shop.hostPort();
    deployment.tlsCaFile = shop.caFile();
    std::string lines;
    for (int line = 1; line <= 400; ++line) {
        lines += std::to_string(3125000 + line) + ";" + std::to_string(line % 7 + 1) + "\r\n";
    }

    killAtRandomMoments({ "send order",
        [&]() {
            std::filesystem::create_directories(work);
            std::filesystem::create_directories(input);
            std::filesystem::remove(work + "/dtbs.xml");
            ASSERT_TRUE(platform::replaceFile(source, lines));
            shop.reset();
        },
        [&]() {
            RecordingMessages messages;
            const platform::FixedClock clock({ 2026, 12, 8 });
            TestWindow window(settings);
            convert::Conversion conversion(settings, work, messages, clock);
            const std::string programFolder = home.path();
            const commands::CommandContext context { settings, deployment, work, programFolder, messages, clock };
            commands::SendOrderCommand(context, window, conversion).run();
        },
        [&](std::string* fault) -> std::string {
            const bool accepted = !WireRequest::parse(shop.lastRequest()).body.empty();
            const bool kept = std::filesystem::exists(source);
            if (!kept && !accepted) {
                *fault = "the source file is gone, yet the webshop has no order";
            }
            // Accepted with the source still there: killed before it was deleted, sent again
            // at the next press, which the user sees in the shop.
            return kept ? (accepted ? "accepted, source kept" : "old") : "new";
        } });
}

#endif
