// The POSIX side of Files.h; FilesWindows.cpp is the other.
#ifndef _WIN32

#include "platform/Files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <type_traits>
#include <unistd.h>

namespace platform {

std::string errorText(int code)
{
    char buffer[256];
    buffer[0] = '\0';
    // GNU strerror_r may return a static text instead of filling the buffer.
    auto result = strerror_r(code, buffer, sizeof buffer);
    if constexpr (std::is_same_v<decltype(result), char*>) {
        return result;
    } else {
        return buffer;
    }
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
    const auto cut = path.find_last_of('/');
    return cut == std::string::npos ? std::string(".") : path.substr(0, cut == 0 ? 1 : cut);
}

// The umask is process-wide and can only be read by setting it; set and reset while another
// thread creates a file, that file would get mode 0666. Read once, before main and any thread.
const mode_t kUmask = [] {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}();

constexpr const char* kTemporaryPrefix = ".transvo-";

// A rename is on disk only once its folder is: without this, a crash right after it may bring
// back the old file, or neither.
void syncFolderOf(const std::string& path)
{
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Writes all bytes, retrying short writes and interrupted calls.
bool writeAll(int fd, std::string_view bytes)
{
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const auto written = ::write(fd, data, left > (1u << 30) ? (1u << 30) : left);
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

// Keeps the first write error; what comes after it is not written.
class FileSink final : public ByteSink
{
public:
    explicit FileSink(int fd)
        : m_fd(fd)
    {
    }

    void write(std::string_view bytes) override
    {
        if (m_error == 0 && !writeAll(m_fd, bytes)) {
            m_error = errno;
        }
    }

    int error() const { return m_error; }

private:
    int m_fd;
    int m_error = 0;
};

} // namespace

bool fileExists(const std::string& path)
{
    struct stat info
    {
    };
    return statPath(path, info) && S_ISREG(info.st_mode);
}

bool folderExists(const std::string& path)
{
    struct stat info
    {
    };
    return statPath(path, info) && S_ISDIR(info.st_mode);
}

std::uint64_t fileSize(const std::string& path)
{
    struct stat info
    {
    };
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
    if (::mkdir(path.c_str(), 0777) == 0 || (errno == EEXIST && folderExists(path))) {
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

bool renameFile(const std::string& from, const std::string& to, std::string* error)
{
    if (std::rename(from.c_str(), to.c_str()) == 0) {
        syncFolderOf(to);
        return true;
    }
    setError(error, errno);
    return false;
}

WriteResult replaceFileWith(const std::string& path, const std::function<void(ByteSink&)>& produce, Access access)
{
    WriteResult result;
    std::string temp = folderOf(path) + "/" + kTemporaryPrefix + "XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        result.osError = lastErrorText();
        return result;
    }
    result.created = true;
    // mkstemp makes the file 0600; widen it for ordinary files as the umask allows.
    if (access == Access::Default) {
        ::fchmod(fd, 0666 & ~kUmask);
    }
    FileSink sink(fd);
    produce(sink);
    int code = sink.error();
    bool ok = code == 0;
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        code = errno;
    }
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
    syncFolderOf(path);
    result.ok = true;
    return result;
}

std::optional<FileStamp> fileStamp(const std::string& path)
{
    struct stat info
    {
    };
    if (!statPath(path, info) || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    FileStamp stamp;
    stamp.size = static_cast<std::uint64_t>(info.st_size);
    stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    stamp.device = static_cast<std::uint64_t>(info.st_dev);
    stamp.identity = static_cast<std::uint64_t>(info.st_ino);
    return stamp;
}

void removeLeftoverTemporaries(const std::string& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        struct stat info
        {
        };
        const std::string path = folder + "/" + name;
        // mkstemp's six characters follow the prefix; nothing else of ours is named so.
        if (name.size() == std::char_traits<char>::length(kTemporaryPrefix) + 6 && name.starts_with(kTemporaryPrefix)
            && ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && now - info.st_mtime > 3600) {
            ::unlink(path.c_str());
        }
    }
    ::closedir(dir);
}

ExclusiveLock::~ExclusiveLock()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool ExclusiveLock::lock(const std::string& path)
{
    if (m_fd >= 0) {
        return true;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    // flock belongs to the open file: a second open here conflicts like another process.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        m_heldElsewhere = errno == EWOULDBLOCK;
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

bool ExclusiveLock::isLocked() const
{
    return m_fd >= 0;
}

} // namespace platform

#endif
