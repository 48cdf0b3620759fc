// Times the conversion of a 100,000-line order of every source format into dtbs.xml against a
// floor that only reads the same source lines and writes as many bytes, and reports the peak
// memory each conversion adds. Run: build/bench/bench_conversion [lines] [format...]

#include "config/Settings.h"
#include "convert/Conversion.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "platform/TextLines.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

class SilentMessages final : public platform::Messages
{
public:
    void error(const std::string& text) override { std::fprintf(stderr, "error: %s\n", text.c_str()); }
    void message(const std::string& text, const std::string&, platform::MessageIcon) override
    {
        std::fprintf(stderr, "message: %s\n", text.c_str());
    }
    bool question(const std::string&, const std::string&, platform::MessageIcon) override { return false; }
};

// One source format: how to set the settings for it and how to write an order of n lines.
struct BenchFormat
{
    std::string schema;
    double targetRatio;
    bool checksMemory;
    std::function<void(config::Settings&)> configure;
    std::function<std::string(std::size_t)> generate;
};

std::string padded(std::string text, std::size_t width)
{
    text.resize(width, ' ');
    return text;
}

std::string article(std::size_t i)
{
    return std::to_string(10000000 + (i * 7919) % 90000000);
}

std::string quantity(std::size_t i, char separator)
{
    return std::to_string(1 + i % 250) + (i % 3 == 0 ? std::string(1, separator) + "5" : std::string());
}

std::vector<BenchFormat> formats()
{
    std::vector<BenchFormat> list;
    list.push_back({ "SDF", 1.5, true,
        [](config::Settings& s) {
            s.SDF_art_van = 1;
            s.SDF_art_tot = 8;
            s.SDF_ant_van = 10;
            s.SDF_ant_tot = 6;
        },
        [](std::size_t n) {
            std::string out;
            for (std::size_t i = 0; i < n; ++i) {
                out += padded(article(i), 9) + padded(quantity(i, ','), 6) + "OMSCHRIJVING\r\n";
            }
            return out;
        } });
    list.push_back({ "CSV", 1.5, true,
        [](config::Settings& s) {
            s.CSV_char.assign(1, ';'); // a literal here trips a false GCC 12 -Wrestrict at -O3
            s.CSV_art = 2;
            s.CSV_aant = 3;
        },
        [](std::size_t n) {
            std::string out;
            for (std::size_t i = 0; i < n; ++i) {
                out += std::to_string(i) + ";\"" + article(i) + "\";" + quantity(i, ',') + ";stuk\r\n";
            }
            return out;
        } });
    list.push_back({ "ICM", 1.5, true, [](config::Settings&) {},
        [](std::size_t n) {
            std::string out = "ASCII ICM 1.0\r\nREF\r\nR1\r\nR2\r\n\r\n\r\n\r\nNaam\r\nNaam 2\r\nStraat\r\n"
                              "Stad\r\n1234 AB\r\n12\r\n0123\r\n05-03-2024\r\n\r\n\r\n\r\n\r\n";
            for (std::size_t i = 0; i < n; ++i) {
                out += quantity(i, '.') + "\r\n" + article(i) + "\r\nomschrijving\r\nstuk\r\n";
            }
            return out;
        } });
    list.push_back({ "MC1000", 1.5, true, [](config::Settings&) {},
        [](std::size_t n) {
            std::string out;
            for (std::size_t i = 0; i < n; ++i) {
                std::string q = quantity(i, ',');
                out += "2403081230000001" + padded(article(i), 14) + std::string(6 - q.size(), ' ') + q + "\r\n";
            }
            return out;
        } });
    list.push_back({ "XML", 3.0, false,
        [](config::Settings& s) {
            s.XML_16 = "line/art";
            s.XML_17 = "line/qty";
        },
        [](std::size_t n) {
            std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<order>\r\n";
            for (std::size_t i = 0; i < n; ++i) {
                out += "  <line><art>" + article(i) + "</art><qty>" + quantity(i, ',') + "</qty></line>\r\n";
            }
            return out + "</order>\r\n";
        } });
    list.push_back({ "MER", 3.0, false, [](config::Settings&) {},
        [](std::size_t n) {
            std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<DOCUMENT>\r\n";
            const auto text = [&out](const std::string& value) { out += "<TEXT>" + value + "</TEXT>\r\n"; };
            for (int i = 0; i < 33; ++i) {
                text("kop " + std::to_string(i));
            }
            for (std::size_t i = 0; i < n; ++i) {
                text(article(i));
                text("omschrijving");
                text(quantity(i, ','));
                text("stuk");
                text("1,00");
                text("1,00");
            }
            for (int i = 0; i < 16; ++i) {
                text("voet " + std::to_string(i));
            }
            return out + "</DOCUMENT>\r\n";
        } });
    return list;
}

// Peak resident memory since the last reset, from the kernel's own accounting.
long statusKiB(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0) {
            long value = 0;
            for (const char c : line.substr(prefix.size())) {
                if (c >= '0' && c <= '9') {
                    value = value * 10 + (c - '0');
                }
            }
            return value;
        }
    }
    return -1;
}

void resetPeakMemory()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

double cpuNow()
{
    timespec now {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Processor time (user and system) rather than wall time: the figures stay comparable on a
// machine that other work keeps busy.
double seconds(const std::function<void()>& work)
{
    const double start = cpuNow();
    work();
    return cpuNow() - start;
}

// What any conversion must at least do: read the source, walk its lines, write the bytes.
void floorRun(const std::string& sourcePath, const std::string& outputPath, std::size_t outputSize)
{
    const auto source = platform::readFile(sourcePath);
    std::size_t sum = 0;
    platform::TextLines lines(source ? *source : std::string());
    std::string_view line;
    while (lines.next(line)) {
        sum += line.size();
    }
    std::string output(outputSize, static_cast<char>('a' + sum % 26));
    platform::replaceFile(outputPath, output, platform::Access::OwnerOnly);
}

// Each figure is the best of this many runs, conversion and floor taken in turn: one run takes
// tens of milliseconds, so a single pause of a shared machine would otherwise decide the ratio.
constexpr int kRounds = 9;

struct Measure
{
    double seconds = 0;
    long peakKiB = 0;
};

// Runs the work in a child process, so every run starts from the same fresh memory as a program
// that converts one order does, and no run inherits pages an earlier one touched.
Measure inChild(const std::function<void()>& work)
{
    // Written pages of earlier runs are put on disk first, so no run pays for another's writeback.
    ::sync();
    int channel[2];
    if (::pipe(channel) != 0) {
        return {};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        resetPeakMemory();
        const long baseline = statusKiB("VmRSS");
        Measure measure;
        measure.seconds = seconds(work);
        measure.peakKiB = statusKiB("VmHWM") - baseline;
        [[maybe_unused]] const auto written = ::write(channel[1], &measure, sizeof measure);
        ::_exit(0);
    }
    ::close(channel[1]);
    Measure measure;
    if (child < 0 || ::read(channel[0], &measure, sizeof measure) != static_cast<ssize_t>(sizeof measure)) {
        measure = {};
    }
    ::close(channel[0]);
    int status = 0;
    if (child > 0) {
        ::waitpid(child, &status, 0);
    }
    return measure;
}

} // namespace

int main(int argc, char** argv)
{
    std::size_t lines = 100000;
    std::vector<std::string> wanted;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!arg.empty() && std::all_of(arg.begin(), arg.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            lines = std::stoul(arg);
        } else {
            wanted.push_back(arg);
        }
    }
    const auto folder = std::filesystem::temp_directory_path() / ("transvo-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string work = folder.string();
    const std::string sourcePath = platform::joinPath(work, "source.txt");
    const std::string floorPath = platform::joinPath(work, "floor.xml");
    const std::string documentPath = platform::joinPath(work, "dtbs.xml");

    SilentMessages messages;
    platform::SystemClock clock;
    bool allMet = true;
    std::printf("%-7s %10s %10s %7s %7s %12s\n", "format", "convert s", "floor s", "ratio", "target", "peak +MiB");
    for (const BenchFormat& format : formats()) {
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), format.schema) == wanted.end()) {
            continue;
        }
        config::Settings settings;
        settings.Schema = format.schema;
        settings.Identity = "klant";
        settings.Secret = "geheim";
        settings.DirectERP.assign(1, '0');
        format.configure(settings);
        platform::replaceFile(sourcePath, format.generate(lines));

        double best = 1e9;
        double bestFloor = 1e9;
        long peakKiB = 0;
        for (int round = 0; round < kRounds; ++round) {
            const Measure converted = inChild([&] {
                convert::Conversion conversion(settings, work, messages, clock);
                conversion.convert(format.schema, sourcePath);
            });
            best = std::min(best, converted.seconds);
            peakKiB = std::max(peakKiB, converted.peakKiB);
            const std::size_t size = platform::fileSize(documentPath);
            bestFloor = std::min(bestFloor, inChild([&] { floorRun(sourcePath, floorPath, size); }).seconds);
        }
        const double ratio = best / bestFloor;
        const double peakMiB = peakKiB / 1024.0;
        const bool met = ratio <= format.targetRatio && (!format.checksMemory || peakMiB < 64);
        allMet = allMet && met;
        std::printf("%-7s %10.4f %10.4f %7.2f %7.1f %12.1f%s\n", format.schema.c_str(), best, bestFloor, ratio,
            format.targetRatio, peakMiB, met ? "" : "  NOT MET");
    }
    std::filesystem::remove_all(folder);
    return allMet ? 0 : 1;
}
