#include "platform/Paths.h"

#include "platform/Files.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include "platform/WideText.h"

#include <windows.h>
#else
#include <unistd.h>
#endif

namespace platform {

char separator()
{
#ifdef _WIN32
    return '\\';
#else
    return '/';
#endif
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    return folder + separator() + name;
}

std::string programFolder()
{
    std::string path;
#ifdef _WIN32
    std::vector<wchar_t> buffer(32768);
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    path = fromWide(buffer.data(), length);
#else
    std::vector<char> buffer(4096);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length > 0) {
        path.assign(buffer.data(), static_cast<size_t>(length));
    }
#endif
    const auto cut = path.find_last_of(separator());
    return cut == std::string::npos ? std::string(".") : path.substr(0, cut);
}

std::string workFolderFor(const char* appData, const std::string& programFolder)
{
    if (appData == nullptr || *appData == '\0') {
        return programFolder;
    }
    return joinPath(appData, "VARO");
}

std::string workFolder(const std::string& programFolder)
{
#ifdef _WIN32
    // getenv would hand out the value in the ANSI code page, losing a user name outside it.
    const wchar_t* appData = _wgetenv(L"AppData");
    if (appData == nullptr) {
        return workFolderFor(nullptr, programFolder);
    }
    return workFolderFor(fromWide(appData, wcslen(appData)).c_str(), programFolder);
#else
    return workFolderFor(std::getenv("AppData"), programFolder);
#endif
}

namespace {

// The table and its index belong together, and the version file tells which list they were
// built from; so they are copied as one set whenever the table or its index is missing.
void seedDataFolder(const std::string& programFolder, const std::string& userFolder)
{
    if (fileExists(joinPath(userFolder, "lgt.dbf")) && fileExists(joinPath(userFolder, "lgt.CDX"))) {
        return;
    }
    for (const char* name : { "lgt.dbf", "lgt.CDX", "lgt.csv", "lgt_versie.txt" }) {
        // What cannot be copied is missing later, where the table is opened, and reported there.
        // A file the installation lacks goes too: a version left from an earlier update would
        // describe another table.
        if (const auto bytes = readFile(joinPath(programFolder, name))) {
            replaceFile(joinPath(userFolder, name), *bytes);
        } else {
            removeFile(joinPath(userFolder, name));
        }
    }
}

#ifdef _WIN32
// Windows decides by the folder's access list, which _waccess does not read (and a 64-bit program
// is never redirected to a virtual store), so only writing a file there tells.
bool folderWritable(const std::string& folder)
{
    wchar_t probe[MAX_PATH + 1] = {};
    if (GetTempFileNameW(toWide(folder).c_str(), L"tvo", 0, probe) == 0) {
        return false;
    }
    DeleteFileW(probe);
    return true;
}

std::string userDataFolder()
{
    const wchar_t* localAppData = _wgetenv(L"LOCALAPPDATA");
    if (localAppData == nullptr || *localAppData == L'\0') {
        return {};
    }
    return joinPath(fromWide(localAppData, wcslen(localAppData)), "Transvo");
}
#else
bool folderWritable(const std::string& folder)
{
    return ::access(folder.c_str(), W_OK) == 0;
}

std::string userDataFolder()
{
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && *dataHome == '/') {
        return joinPath(dataHome, "transvo");
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home == '/') {
        return joinPath(joinPath(joinPath(home, ".local"), "share"), "transvo");
    }
    return {};
}
#endif

} // namespace

std::string dataFolderFor(const std::string& programFolder, bool programFolderWritable, const std::string& userFolder)
{
    if (programFolderWritable || userFolder.empty()) {
        return programFolder;
    }
    std::error_code error;
    std::filesystem::create_directories(toFsPath(userFolder), error);
    seedDataFolder(programFolder, userFolder);
    return userFolder;
}

std::string dataFolder(const std::string& programFolder)
{
    return dataFolderFor(programFolder, folderWritable(programFolder), userDataFolder());
}

std::string fileName(const std::string& path)
{
#ifdef _WIN32
    const auto cut = path.find_last_of("\\/");
#else
    const auto cut = path.find_last_of('/');
#endif
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::filesystem::path toFsPath(const std::string& utf8)
{
#ifdef _WIN32
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
#else
    // The bytes as they are: a name that is no valid UTF-8 still names its file.
    return std::filesystem::path(utf8);
#endif
}

std::string fromFsPath(const std::filesystem::path& path)
{
#ifdef _WIN32
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
#else
    return path.string();
#endif
}

} // namespace platform
