#include "platform/Files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace platform {

std::string errorText(int code)
{
#ifdef _WIN32
    char buffer[256];
    strerror_s(buffer, sizeof buffer, code);
    return buffer;
#else
    char buffer[256];
    buffer[0] = '\0';
    // GNU strerror_r may return a static text instead of filling the buffer.
    auto result = strerror_r(code, buffer, sizeof buffer);
    if constexpr (std::is_same_v<decltype(result), char*>) {
        return result;
    } else {
        return buffer;
    }
#endif
}

std::string lastErrorText()
{
    return errorText(errno);
}

namespace {

    bool statPath(const std::string& path, struct stat& info)
    {
        return ::stat(path.c_str(), &info) == 0;
    }

    void setError(std::string* error, int code)
    {
        if (error != nullptr) {
            *error = errorText(code);
        }
    }

    std::string folderOf(const std::string& path)
    {
#ifdef _WIN32
        const auto cut = path.find_last_of("\\/");
#else
        const auto cut = path.find_last_of('/');
#endif
        return cut == std::string::npos ? std::string(".") : path.substr(0, cut == 0 ? 1 : cut);
    }

    // Writes all bytes, retrying short writes and interrupted calls.
    bool writeAll(int fd, const std::string& bytes)
    {
        const char* data = bytes.data();
        size_t left = bytes.size();
        while (left > 0) {
            const auto written = ::write(fd, data, static_cast<unsigned>(left > (1u << 30) ? (1u << 30) : left));
            if (written < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return false;
            }
            data += written;
            left -= static_cast<size_t>(written);
        }
        return true;
    }

} // namespace

bool fileExists(const std::string& path)
{
    struct stat info {};
    return statPath(path, info) && S_ISREG(info.st_mode);
}

bool folderExists(const std::string& path)
{
    struct stat info {};
    return statPath(path, info) && S_ISDIR(info.st_mode);
}

std::uint64_t fileSize(const std::string& path)
{
    struct stat info {};
    if (!statPath(path, info) || !S_ISREG(info.st_mode)) {
        return 0;
    }
    return static_cast<std::uint64_t>(info.st_size);
}

std::optional<std::string> readFile(const std::string& path, std::string* error)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        setError(error, errno);
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.append(buffer, count);
    }
    const bool failed = std::ferror(file) != 0;
    const int code = errno;
    std::fclose(file);
    if (failed) {
        setError(error, code);
        return std::nullopt;
    }
    return bytes;
}

bool createFolder(const std::string& path, std::string* error)
{
#ifdef _WIN32
    const int result = _mkdir(path.c_str());
#else
    const int result = ::mkdir(path.c_str(), 0777);
#endif
    if (result == 0 || (errno == EEXIST && folderExists(path))) {
        return true;
    }
    setError(error, errno);
    return false;
}

bool removeFile(const std::string& path, std::string* error)
{
    if (std::remove(path.c_str()) == 0) {
        return true;
    }
    setError(error, errno);
    return false;
}

WriteResult replaceFile(const std::string& path, const std::string& bytes, Access access)
{
    WriteResult result;
    std::string temp = folderOf(path) + "/.transvo-XXXXXX";
#ifdef _WIN32
    temp = path + ".tmp";
    const int fd = ::_open(temp.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    const int fd = ::mkstemp(temp.data());
#endif
    if (fd < 0) {
        result.osError = lastErrorText();
        return result;
    }
#ifndef _WIN32
    // mkstemp makes the file 0600; widen it for ordinary files as the umask allows.
    if (access == Access::Default) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
#endif
    bool ok = writeAll(fd, bytes);
#ifndef _WIN32
    ok = ok && ::fsync(fd) == 0;
#endif
    int code = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        code = errno;
    }
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        code = errno;
    }
    if (!ok) {
        std::remove(temp.c_str());
        result.osError = errorText(code);
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace platform
