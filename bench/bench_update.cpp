// Times the whole pipe-length update on a published list of 100,000 rows, served by the local
// download server on loopback: download, list check, lgt.csv, the new table built aside and
// swapped in. Also times the list check alone. Prints each figure.
//
// Usage: bench_update [path of tools/downloadserver.py]

#include "lengths/LengthsUpdate.h"
#include "lengths/PipeLengthTable.h"
#include "lengths/UpdateList.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using SteadyClock = std::chrono::steady_clock;

double millisecondsSince(SteadyClock::time_point start)
{
    return std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count();
}

class QuietMessages final : public platform::Messages
{
public:
    void error(const std::string& text) override { std::fprintf(stderr, "bench_update: %s\n", text.c_str()); }
    void message(const std::string& text, const std::string&, platform::MessageIcon) override { error(text); }
    bool question(const std::string&, const std::string&, platform::MessageIcon) override { return false; }
};

class NoProgress final : public lengths::UpdateProgress
{
public:
    void clearPipeline() override { }
    void setStatus(const std::string&) override { }
    void markStep(int, bool) override { }
    void showEnd(bool) override { }
};

std::string publishedList(std::size_t rows)
{
    static const char* const lengthsInMetres[] = { "5", "3", "6", "5.8", "4", "12", "0.75", "2.25" };
    std::mt19937 random(20261208);
    std::string text = "# Versie --->2026-12-01\r\n";
    for (std::size_t i = 0; i < rows; ++i) {
        text += std::to_string(10000000 + random() % 90000000) + "," + lengthsInMetres[random() % 8] + "\r\n";
    }
    return text;
}

// The download server as a child process; the port it chose, or 0.
struct Server
{
    pid_t pid = -1;
    int port = 0;

    Server(const std::string& script, const std::string& list, const std::filesystem::path& folder)
    {
        const std::string portFile = (folder / "port").string();
        std::vector<std::string> args = { "python3", script, "--file", list, "--port", "0", "--port-file", portFile };
        std::vector<char*> argv;
        for (auto& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        // It prints its port too; the port file is what counts.
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        const int spawned = ::posix_spawnp(&pid, "python3", &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            pid = -1;
            return;
        }
        for (int i = 0; i < 2000 && port == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::ifstream(portFile) >> port;
        }
    }
    ~Server()
    {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
    }
};

} // namespace

int main(int argc, char** argv)
{
    constexpr std::size_t kRows = 100000;
    const std::string script = argc > 1
        ? argv[1]
        : (std::filesystem::path(__FILE__).parent_path().parent_path() / "tools" / "downloadserver.py").string();
    const auto folder = std::filesystem::temp_directory_path() / ("transvo-bench-update-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string list = publishedList(kRows);
    std::ofstream((folder / "published.csv").string(), std::ios::binary) << list;

    auto start = SteadyClock::now();
    const lengths::UpdateList parsed = lengths::parseUpdateList(list);
    const double check = millisecondsSince(start);

    // An installed table of the same size, so the run replaces a real one.
    lengths::PipeLengthTable installed;
    std::ofstream((folder / "lgt.csv").string(), std::ios::binary) << parsed.csv;
    const std::string tablePath = (folder / "lgt.dbf").string();
    if (!installed.create(tablePath) || !installed.appendDelimited((folder / "lgt.csv").string())
        || !installed.createOrder("MT_ARTNR", lengths::PipeLengthTable::indexPathFor(tablePath), "MT_ARTNR")
        || !installed.close()) {
        std::fprintf(stderr, "bench_update: installed table: %s\n", installed.errorText().c_str());
        return 1;
    }

    Server server(script, (folder / "published.csv").string(), folder);
    if (server.port == 0) {
        std::fprintf(stderr, "bench_update: the download server did not start (%s)\n", script.c_str());
        return 1;
    }
    QuietMessages messages;
    NoProgress progress;
    platform::SystemClock clock;
    lengths::LengthsUpdate update(
        folder.string(), "127.0.0.1:" + std::to_string(server.port), clock, messages, progress);
    update.setPause(std::chrono::milliseconds(0));
    start = SteadyClock::now();
    const bool succeeded = update.run();
    const double whole = millisecondsSince(start);
    std::filesystem::remove_all(folder);

    std::printf("rows: %zu (%zu bytes)\n", parsed.rows, list.size());
    std::printf("list check alone: %.1f ms\n", check);
    std::printf("whole update without its pauses (download, check, lgt.csv, rebuild aside, swap): %.1f ms%s\n", whole,
        succeeded ? "" : " (FAILED)");
    return succeeded ? 0 : 1;
}
