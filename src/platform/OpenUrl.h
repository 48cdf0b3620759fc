#pragma once

#include <string>

namespace platform {

// Opens a web address or a file in its default program: xdg-open found on PATH on Linux, the
// shell's "open" action on Windows. True when the opener started and reported success.
bool openInDefaultProgram(const std::string& target);

} // namespace platform
