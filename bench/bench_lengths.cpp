// Times the pipe-length table on a 100,000-row list: the whole rebuild (zap, pack, append,
// create order), the index creation alone, and soft seeks of random article numbers (half of
// them hits) on the table opened shared and read-only. Prints each figure.

#include "lengths/PipeLengthLookup.h"
#include "lengths/PipeLengthTable.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::vector<std::string> randomArticles(std::mt19937& random, std::size_t count, std::set<std::string>& used)
{
    std::vector<std::string> articles;
    while (articles.size() < count) {
        std::string article = std::to_string(10000000 + random() % 90000000);
        if (used.insert(article).second) {
            articles.push_back(std::move(article));
        }
    }
    return articles;
}

bool writeList(const std::string& path, const std::vector<std::string>& articles, std::mt19937& random)
{
    static const char* const lengths[] = { "5", "3", "6", "5.8", "4", "12", "0.75", "2.25" };
    std::string text;
    for (const std::string& article : articles) {
        text += article + "," + lengths[random() % std::size(lengths)] + "\r\n";
    }
    std::ofstream file(path, std::ios::binary);
    file << text;
    return static_cast<bool>(file);
}

int fail(const lengths::PipeLengthTable& table, const char* step)
{
    std::fprintf(stderr, "bench_lengths: %s failed: %s\n", step, table.errorText().c_str());
    return 1;
}

} // namespace

int main()
{
    constexpr std::size_t kRows = 100000;
    constexpr std::size_t kSeeks = 100000;
    std::mt19937 random(20261208);
    std::set<std::string> used;
    const std::vector<std::string> articles = randomArticles(random, kRows, used);
    const std::vector<std::string> absent = randomArticles(random, kSeeks / 2, used);

    const auto folder = std::filesystem::temp_directory_path() / ("transvo-bench-lengths-" + std::to_string(random()));
    std::filesystem::create_directories(folder);
    const std::string tablePath = (folder / "lgt.dbf").string();
    const std::string indexPath = lengths::PipeLengthTable::indexPathFor(tablePath);
    const std::string listPath = (folder / "lgt.csv").string();
    if (!writeList(listPath, articles, random)) {
        std::fprintf(stderr, "bench_lengths: cannot write %s\n", listPath.c_str());
        return 1;
    }

    lengths::PipeLengthTable table;
    // An installed table to rebuild: the same list, so zap and pack have rows to drop.
    if (!table.create(tablePath) || !table.appendDelimited(listPath)
        || !table.createOrder("MT_ARTNR", indexPath, "MT_ARTNR") || !table.close()) {
        return fail(table, "initial table");
    }

    auto start = Clock::now();
    if (table.open(tablePath, lengths::OpenMode::Exclusive) != lengths::OpenStatus::Opened || !table.zap()
        || !table.pack() || !table.appendDelimited(listPath) || !table.createOrder("MT_ARTNR", indexPath, "MT_ARTNR")
        || !table.commit() || !table.setOrder("MT_ARTNR", indexPath) || !table.close()) {
        return fail(table, "rebuild");
    }
    const double rebuild = millisecondsSince(start);

    if (table.open(tablePath, lengths::OpenMode::Exclusive) != lengths::OpenStatus::Opened) {
        return fail(table, "exclusive open");
    }
    start = Clock::now();
    if (!table.createOrder("MT_ARTNR", indexPath, "MT_ARTNR")) {
        return fail(table, "create order");
    }
    const double createOrder = millisecondsSince(start);
    table.close();

    std::vector<std::string> searches;
    for (std::size_t i = 0; i < kSeeks / 2; ++i) {
        searches.push_back(articles[random() % articles.size()]);
        searches.push_back(absent[i]);
    }
    std::shuffle(searches.begin(), searches.end(), random);

    lengths::PipeLengthLookup lookup;
    start = Clock::now();
    if (lookup.openTable(tablePath) != lengths::OpenStatus::Opened) {
        std::fprintf(stderr, "bench_lengths: shared open failed\n");
        return 1;
    }
    const double open = millisecondsSince(start);
    std::size_t hits = 0;
    start = Clock::now();
    for (const std::string& search : searches) {
        hits += lookup.pipeLength(search) ? 1 : 0;
    }
    const double seeks = millisecondsSince(start);
    lookup.close();
    std::filesystem::remove_all(folder);

    std::printf("rows: %zu\n", kRows);
    std::printf("rebuild (open exclusive, zap, pack, append, create order, commit, set order, close): "
                "%.1f ms (target < 500 ms)\n",
        rebuild);
    std::printf("create order alone: %.1f ms (target <= 56 ms)\n", createOrder);
    std::printf("shared read-only open: %.2f ms\n", open);
    std::printf("%zu soft seeks, %zu hits: %.3f us per seek (target <= 2 us)\n", searches.size(), hits,
        seeks * 1000.0 / static_cast<double>(searches.size()));
    return hits == kSeeks / 2 ? 0 : 1;
}
