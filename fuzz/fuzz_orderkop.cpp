#include "ReaderFuzzing.h"

#include "orderinfo/Orderkop.h"
#include "orderinfo/Windows1252.h"

// A header file holds twelve short lines; more only slows the fuzzer.
constexpr std::size_t kMaxInput = 1 << 16;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > kMaxInput) {
        return 0;
    }
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // What the dialog writes from what it read must read back the same.
    const orderinfo::Orderkop fields = orderinfo::orderkopFromLines(orderinfo::orderkopLines(bytes));
    const std::string text = orderinfo::orderkopText(fields);
    const auto again = orderinfo::orderkopLines(text);
    if (again.size() != orderinfo::kOrderkopLineCount
        || orderinfo::orderkopText(orderinfo::orderkopFromLines(again)) != text) {
        __builtin_trap();
    }

    // The dialog shows the file's Windows-1252 as UTF-8 and stores it back unchanged; the
    // bytes taken as UTF-8 typed into the dialog are either stored or refused, never mangled.
    if (orderinfo::utf8ToWindows1252(orderinfo::windows1252ToUtf8(bytes)) != bytes) {
        __builtin_trap();
    }
    if (const auto stored = orderinfo::utf8ToWindows1252(bytes)) {
        if (orderinfo::windows1252ToUtf8(*stored) != bytes) {
            __builtin_trap();
        }
    }

    // The conversion reads the same file from the work folder, trims every line and always
    // removes the file.
    const config::Settings settings = fuzzing::fuzzSettings();
    fuzzing::SilentMessages messages;
    const platform::FixedClock clock(platform::Date { 2024, 3, 5 });
    convert::Conversion conversion(settings, fuzzing::fuzzFolder(), messages, clock);
    {
        std::ofstream out(conversion.orderkopPath(), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            return 0;
        }
    }
    const convert::KOPLIJST header = conversion.VERWERK_KOP();
    if (platform::fileExists(conversion.orderkopPath())) {
        __builtin_trap();
    }
    for (const std::string& entry : header) {
        if (!entry.empty() && (entry.front() == ' ' || entry.back() == ' ')) {
            __builtin_trap();
        }
    }
    return 0;
}
