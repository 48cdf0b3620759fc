#pragma once

#include "config/Settings.h"
#include "platform/Clock.h"
#include "platform/Deployment.h"
#include "platform/Messages.h"

#include <string>

namespace commands {

// What a command of a window works with besides the window itself; the window that runs the
// command owns all of it and outlives the command.
struct CommandContext
{
    const config::Settings& settings;
    // deployment.ini of the program folder over the compiled-in defaults.
    const platform::Deployment& deployment;
    const std::string& workFolder;
    const std::string& programFolder;
    platform::Messages& messages;
    const platform::Clock& clock;
};

} // namespace commands
