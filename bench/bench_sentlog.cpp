// Times what "Verzonden orders" does before it shows: listing a full log of 500 orders (each a
// folder with its index), best and median of nine runs, and reading the lines of one stored
// 1,000-line order for the detail view. The listing should stay well under 100 ms.
// Run from the source folder: build/bench/bench_sentlog

#include "BenchOrder.h"
#include "commands/SentOrderLog.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using bench::order;

std::vector<double> timed(int runs, const std::function<size_t()>& work, size_t& count)
{
    std::vector<double> millis;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        count = work();
        millis.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(millis.begin(), millis.end());
    return millis;
}

} // namespace

int main()
{
    std::random_device random;
    const auto work = std::filesystem::temp_directory_path() / ("transvo-bench-" + std::to_string(random()));
    std::filesystem::create_directories(work);
    commands::SentOrderLog sentLog(work.string());

    const std::string document = order(40);
    const std::string reply = "<html><body>" + std::string(2000, 'x') + "</body></html>\n";
    commands::SentOrder sent { "2026-12-08", "16:58:12", "/home/klant/orders/bestelling.csv", "CSV", "shop.example:443",
        40, "HTTP/1.1 200 OK", "Verzonden", "Order verzonden, zie winkelwagen in browser.", {} };
    std::string error;
    for (size_t i = 0; i < commands::SentOrderLog::kKept; ++i) {
        if (!sentLog.record(sent, document, reply, &error)) {
            std::fprintf(stderr, "recording failed: %s\n", error.c_str());
            return 1;
        }
    }

    size_t count = 0;
    const auto listing = timed(
        9, [&]() { return sentLog.list().size(); }, count);
    std::printf("%-36s %5zu orders  best %7.2f ms  median %7.2f ms\n", "list the log", count, listing.front(),
        listing[listing.size() / 2]);

    const std::string stored = order(1000);
    const auto lines = timed(
        9, [&]() { return commands::sentLines(stored).size(); }, count);
    std::printf("%-36s %5zu lines   best %7.2f ms  median %7.2f ms\n", "read the lines of one order", count,
        lines.front(), lines[lines.size() / 2]);

    std::filesystem::remove_all(work);
    return listing[listing.size() / 2] < 100.0 ? 0 : 2;
}
