#pragma once

#include "platform/Clock.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace commands {

// The options for integrators and support, run without a window and without a post:
//
//   transvo --convert FILE [--out PATH]   the dtbs.xml a send would post, to PATH or standard output
//   transvo --preview FILE                what "Order bekijken" shows, as text
//   transvo --help                        these lines
//
// args are the program's arguments without its name. Returns nothing when they name none of these
// options (the window opens as ever), else the exit status: 0 on success, otherwise not 0 with the
// program's messages on err. Settings come from config.xml in the work folder of programFolder.
std::optional<int> runCommandLine(const std::vector<std::string>& args, const std::string& programFolder,
    const platform::Clock& clock, std::ostream& out, std::ostream& err);

} // namespace commands
