// Times "Order bekijken" on a 100,000-line order (the conversion in memory, the dialog built and
// shown with its lines table) against the send's conversion of the same order into dtbs.xml; the
// preview should take at most 1.5 times as long. Run: build/bench/bench_preview [lines]

#include "config/Settings.h"
#include "convert/Conversion.h"
#include "dialogs/OrderPreviewDialog.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Messages.h"
#include "platform/Paths.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <unistd.h>

namespace {

class PrintedMessages final : public platform::Messages
{
public:
    void error(const std::string& text) override { std::fprintf(stderr, "error: %s\n", text.c_str()); }
    void message(const std::string& text, const std::string&, platform::MessageIcon) override
    {
        std::fprintf(stderr, "message: %s\n", text.c_str());
    }
    bool question(const std::string&, const std::string&, platform::MessageIcon) override { return false; }
};

// Every article has a length, so every line carries its metres into the preview.
class EveryPipe final : public convert::PipeLengths
{
public:
    std::optional<double> pipeLength(const std::string&) override { return 5.8; }
};

double seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Best of this many: one run takes tens of milliseconds, and a shared machine pauses now and then.
constexpr int kRounds = 9;
constexpr double kTargetRatio = 1.5;

} // namespace

int main(int argc, char** argv)
{
    const std::size_t lines = argc > 1 ? std::stoul(argv[1]) : 100000;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);

    const auto folder = std::filesystem::temp_directory_path() / ("transvo-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string work = folder.string();
    const std::string sourcePath = platform::joinPath(work, "order.csv");
    std::string source;
    for (std::size_t i = 0; i < lines; ++i) {
        source += std::to_string(10000000 + (i * 7919) % 90000000) + ";" + std::to_string(1 + i % 250) + ",5\r\n";
    }
    platform::replaceFile(sourcePath, source);

    config::Settings settings;
    settings.Schema = "CSV";
    settings.CSV_char = ";";
    settings.CSV_art = 1;
    settings.CSV_aant = 2;
    settings.Filiaal = "BEL";
    settings.Besteleenheid = "MTR";
    settings.Identity = "klant";
    settings.DirectERP.assign(1, '0');
    PrintedMessages messages;
    platform::SystemClock clock;
    EveryPipe table;

    double convert = 1e9;
    double preview = 1e9;
    std::size_t shown = 0;
    for (int round = 0; round < kRounds; ++round) {
        convert = std::min(convert, seconds([&] {
            convert::Conversion conversion(settings, work, messages, clock);
            conversion.convert(settings.Schema, sourcePath, &table);
        }));
        preview = std::min(preview, seconds([&] {
            convert::Conversion conversion(settings, work, messages, clock);
            auto order = std::make_shared<const convert::ConvertedOrder>(
                conversion.convertInMemory(settings.Schema, sourcePath, &table));
            shown = order->order.lines.size();
            OrderPreviewDialog dialog(nullptr, order, "BE");
            dialog.show();
            QApplication::processEvents();
        }));
    }
    std::filesystem::remove_all(folder);
    const double ratio = preview / convert;
    std::printf("%-8s %10s %10s %7s %7s\n", "lines", "convert s", "preview s", "ratio", "target");
    std::printf("%-8zu %10.4f %10.4f %7.2f %7.1f%s\n", shown, convert, preview, ratio, kTargetRatio,
        ratio <= kTargetRatio ? "" : "  NOT MET");
    return ratio <= kTargetRatio ? 0 : 1;
}
