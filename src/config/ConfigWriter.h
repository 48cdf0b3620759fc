#pragma once

#include "config/ConfigValues.h"
#include "platform/Files.h"
#include "platform/Messages.h"

#include <functional>
#include <string>

namespace config {

// The whole config.xml text for the values: 47 lines ended by CR LF, values escaped, the
// password enciphered as hexadecimal digits.
std::string configText(const ConfigValues& values);

// Writes config.xml into the work folder (created when missing), replacing the old file only
// once the new one is complete, readable by the user alone. Shows the failure or the
// restart notice through messages. True when the file was written.
bool writeConfig(const std::string& workFolder, const ConfigValues& values, platform::Messages& messages);

// As above with the file writer given; platform::replaceFile is the real one. Lets a test make
// the write itself fail after the folder checks passed.
using FileWriter
    = std::function<platform::WriteResult(const std::string& path, const std::string& bytes, platform::Access)>;
bool writeConfig(
    const std::string& workFolder, const ConfigValues& values, platform::Messages& messages, const FileWriter& writer);

} // namespace config
