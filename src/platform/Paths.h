#pragma once

#include <filesystem>
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

// The folder of the program's own data that the pipe-length update rewrites (lgt.dbf, lgt.CDX,
// lgt.csv, lgt_versie.txt): the program folder when the user may write there, as in a copy of the
// program folder. A system-wide installation's program folder is not the user's to write, so
// there it is the user's data folder for the program ($XDG_DATA_HOME/transvo, by default
// ~/.local/share/transvo; %LOCALAPPDATA%\Transvo on Windows, as under Program Files), created and
// seeded with the installed files on first use.
std::string dataFolder(const std::string& programFolder);

// As above with the decisions given: whether the program folder is writable, and the user's data
// folder (empty when there is none, which leaves the program folder).
std::string dataFolderFor(const std::string& programFolder, bool programFolderWritable, const std::string& userFolder);

// The last path component.
std::string fileName(const std::string& path);

// Paths are UTF-8 in the program, while std::filesystem reads a plain string in the ANSI code page
// on Windows; these two carry a path across without loss on every system.
std::filesystem::path toFsPath(const std::string& utf8);
std::string fromFsPath(const std::filesystem::path& path);

} // namespace platform
