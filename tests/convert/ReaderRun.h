#pragma once

// One reader run on a source written by the test, in a work folder of its own.

#include "RecordingMessages.h"
#include "TempDir.h"

#include "config/Settings.h"
#include "convert/Conversion.h"
#include "platform/Clock.h"
#include "platform/Files.h"

#include <optional>
#include <string>

namespace testing_support {

struct ReaderRun
{
    TempDir work;
    TempDir input;
    config::Settings settings;
    RecordingMessages messages;
    platform::FixedClock clock { platform::Date { 2024, 3, 5 } };
    convert::Conversion conversion { settings, work.path(), messages, clock };

    ReaderRun()
    {
        settings.Identity = "k1";
        settings.DirectERP = "0";
    }

    // Writes the source as input/order.txt and returns its path.
    std::string source(const std::string& bytes)
    {
        const std::string path = input.file("order.txt");
        platform::replaceFile(path, bytes);
        return path;
    }

    // Twelve lines of header data for the next run.
    void writeOrderkop() { platform::replaceFile(work.file("orderkop.txt"), "C\nR\n\n\n\n2024-06-01\nN\n\n\n\n\nBE\n"); }
    bool orderkopLeft() const { return platform::fileExists(work.file("orderkop.txt")); }

    std::optional<std::string> document() const { return platform::readFile(work.file("dtbs.xml")); }
};

} // namespace testing_support
