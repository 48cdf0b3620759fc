#include "platform/Folders.h"

#include <filesystem>
#include <system_error>

namespace platform {

namespace {

// The program's paths are UTF-8; on Windows a plain std::string would be taken in the ANSI code
// page and name another folder.
std::filesystem::path nativePath(const std::string& path)
{
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string utf8Name(const std::filesystem::path& path)
{
    const std::u8string name = path.filename().u8string();
    return std::string(name.begin(), name.end());
}

void setError(std::string* error, const std::error_code& code)
{
    if (error != nullptr) {
        *error = code.message();
    }
}

} // namespace

bool createOwnerOnlyFolder(const std::string& path, std::string* error)
{
    std::error_code code;
    const std::filesystem::path folder = nativePath(path);
    if (!std::filesystem::create_directory(folder, code)) {
        if (!code && std::filesystem::is_directory(folder, code)) {
            return true;
        }
        setError(error, code ? code : std::make_error_code(std::errc::file_exists));
        return false;
    }
    // Created with the umask's rights first; narrowed before anything is written into it.
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all, code);
    if (code) {
        setError(error, code);
        std::error_code ignored;
        std::filesystem::remove(folder, ignored);
        return false;
    }
    return true;
}

std::vector<std::string> subfolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code code;
    for (std::filesystem::directory_iterator it(nativePath(folder), code), end; !code && it != end;
         it.increment(code)) {
        std::error_code statusError;
        if (it->is_directory(statusError) && !it->is_symlink(statusError)) {
            names.push_back(utf8Name(it->path()));
        }
    }
    return names;
}

bool removeFolderTree(const std::string& path, std::string* error)
{
    std::error_code code;
    std::filesystem::remove_all(nativePath(path), code);
    if (code) {
        setError(error, code);
        return false;
    }
    return true;
}

} // namespace platform
