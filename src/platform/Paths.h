#pragma once

#include <string>

namespace platform {

// The platform's folder separator: a backslash on Windows, a slash elsewhere. Messages show
// paths with it too.
char separator();

// folder + separator + name.
std::string joinPath(const std::string& folder, const std::string& name);

// The folder that holds the running program file, without a trailing separator.
std::string programFolder();

// The work folder: the value of the environment variable AppData followed by the separator and
// "VARO"; the program folder when that variable is unset or empty. Nothing is created here.
std::string workFolder(const std::string& programFolder);

// As above, with the value of AppData given (nullptr when unset).
std::string workFolderFor(const char* appData, const std::string& programFolder);

// The last path component.
std::string fileName(const std::string& path);

} // namespace platform
