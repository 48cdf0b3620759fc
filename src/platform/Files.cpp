#include "platform/Files.h"

#ifdef _WIN32
#include "platform/WideText.h"

#include <atomic>
#include <memory>
#include <windows.h>
// windows.h first: these need its types.
#include <sddl.h>
#else
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
#endif

namespace platform {

#ifdef _WIN32

// Every file call here goes through the wide-character API, so a folder or file name with
// characters outside the ANSI code page works, and every failure carries a Windows error code.

std::string errorText(int code)
{
    wchar_t* text = nullptr;
    // Language 0: the user's language, as the rest of Windows speaks to them.
    const DWORD length
        = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0 || text == nullptr) {
        return "Fout " + std::to_string(code);
    }
    std::wstring wide(text, length);
    LocalFree(text);
    // The system's texts end in a line break.
    while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L' ')) {
        wide.pop_back();
    }
    return fromWide(wide);
}

std::string lastErrorText()
{
    return errorText(static_cast<int>(GetLastError()));
}

namespace {

struct HandleCloser
{
    using pointer = HANDLE;
    void operator()(HANDLE handle) const
    {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
};
using Handle = std::unique_ptr<void, HandleCloser>;

bool attributesOf(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data)
{
    return GetFileAttributesExW(toWide(path).c_str(), GetFileExInfoStandard, &data) != 0;
}

void setError(std::string* error, DWORD code)
{
    if (error != nullptr) {
        *error = errorText(static_cast<int>(code));
    }
}

bool writeAll(HANDLE file, std::string_view bytes)
{
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const DWORD chunk = static_cast<DWORD>(left > (1u << 30) ? (1u << 30) : left);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr)) {
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

// Keeps the first write error; what comes after it is not written.
class FileSink final : public ByteSink
{
public:
    explicit FileSink(HANDLE file)
        : m_file(file)
    {
    }

    void write(std::string_view bytes) override
    {
        if (m_error == ERROR_SUCCESS && !writeAll(m_file, bytes)) {
            m_error = GetLastError();
        }
    }

    DWORD error() const { return m_error; }

private:
    HANDLE m_file;
    DWORD m_error = ERROR_SUCCESS;
};

// A security descriptor that lets only the current user in and inherits nothing from the
// folder: the Windows counterpart of mode 0600.
struct OwnerOnlyDescriptor
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ~OwnerOnlyDescriptor() { LocalFree(descriptor); }
    bool make()
    {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
            return false;
        }
        Handle tokenOwner(token);
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        std::string buffer(size, '\0');
        if (!GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
            return false;
        }
        wchar_t* sid = nullptr;
        if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
            return false;
        }
        const std::wstring sddl = L"D:P(A;;FA;;;" + std::wstring(sid) + L")";
        LocalFree(sid);
        return ConvertStringSecurityDescriptorToSecurityDescriptorW(
            sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr);
    }
};

// Beside the target, so the final move stays on one volume; unique per process and call, and
// with a tick count so a name left by an earlier process of the same id is not met again.
std::wstring temporaryName(const std::string& path)
{
    static std::atomic<unsigned> counter { 0 };
    return toWide(path) + L".transvo-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter)
        + L"-" + std::to_wstring(GetTickCount64()) + L".tmp";
}

} // namespace

bool fileExists(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data {};
    return attributesOf(path, data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool folderExists(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data {};
    return attributesOf(path, data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::uint64_t fileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data {};
    if (!attributesOf(path, data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return 0;
    }
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::optional<std::string> readFile(const std::string& path, std::string* error)
{
    // Others may keep the file open for writing, as the C library's fopen allows.
    Handle file(CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        setError(error, GetLastError());
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr)) {
            setError(error, GetLastError());
            return std::nullopt;
        }
        if (count == 0) {
            return bytes;
        }
        bytes.append(buffer, count);
    }
}

bool createFolder(const std::string& path, std::string* error)
{
    if (CreateDirectoryW(toWide(path).c_str(), nullptr)) {
        return true;
    }
    const DWORD code = GetLastError();
    if (code == ERROR_ALREADY_EXISTS && folderExists(path)) {
        return true;
    }
    setError(error, code);
    return false;
}

bool removeFile(const std::string& path, std::string* error)
{
    if (DeleteFileW(toWide(path).c_str())) {
        return true;
    }
    setError(error, GetLastError());
    return false;
}

bool renameFile(const std::string& from, const std::string& to, std::string* error)
{
    // A plain rename refuses an existing target on Windows; this replaces it in one step and
    // returns only once the new name is on disk.
    if (MoveFileExW(toWide(from).c_str(), toWide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    setError(error, GetLastError());
    return false;
}

WriteResult replaceFileWith(const std::string& path, const std::function<void(ByteSink&)>& produce, Access access)
{
    WriteResult result;
    OwnerOnlyDescriptor ownerOnly;
    SECURITY_ATTRIBUTES security { sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE };
    if (access == Access::OwnerOnly) {
        if (!ownerOnly.make()) {
            result.osError = lastErrorText();
            return result;
        }
        security.lpSecurityDescriptor = ownerOnly.descriptor;
    }
    std::wstring temp;
    HANDLE raw = INVALID_HANDLE_VALUE;
    // A name that exists already (left by a process that was stopped) is skipped, not an error.
    for (int attempt = 0; attempt < 100 && raw == INVALID_HANDLE_VALUE; ++attempt) {
        temp = temporaryName(path);
        raw = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, access == Access::OwnerOnly ? &security : nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (raw == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
            break;
        }
    }
    if (raw == INVALID_HANDLE_VALUE) {
        result.osError = lastErrorText();
        return result;
    }
    result.created = true;
    Handle file(raw);
    FileSink sink(raw);
    produce(sink);
    DWORD code = sink.error();
    bool ok = code == ERROR_SUCCESS;
    if (ok && !FlushFileBuffers(raw)) {
        ok = false;
        code = GetLastError();
    }
    if (!CloseHandle(file.release()) && ok) {
        ok = false;
        code = GetLastError();
    }
    if (ok && !MoveFileExW(temp.c_str(), toWide(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        code = GetLastError();
    }
    if (!ok) {
        DeleteFileW(temp.c_str());
        result.osError = errorText(static_cast<int>(code));
        return result;
    }
    result.ok = true;
    return result;
}

std::optional<FileStamp> fileStamp(const std::string& path)
{
    Handle file(CreateFileW(toWide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION info {};
    if (file.get() == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(file.get(), &info)
        || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    FileStamp stamp;
    stamp.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.modified = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime);
    stamp.device = info.dwVolumeSerialNumber;
    stamp.identity = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return stamp;
}

void removeLeftoverTemporaries(const std::string& folder)
{
    WIN32_FIND_DATAW found {};
    HANDLE search = FindFirstFileW(toWide(folder + "\\*.transvo-*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    FILETIME now {};
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    constexpr std::uint64_t kHour = 3600ull * 10'000'000ull; // FILETIME counts 100 ns
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0
            && ticks(now) - ticks(found.ftLastWriteTime) > kHour) {
            DeleteFileW((toWide(folder) + L"\\" + found.cFileName).c_str());
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

ExclusiveLock::~ExclusiveLock()
{
    if (m_handle != nullptr) {
        CloseHandle(m_handle);
    }
}

bool ExclusiveLock::lock(const std::string& path)
{
    if (m_handle != nullptr) {
        return true;
    }
    // No sharing at all: a second open, in this process or another, fails while we hold it.
    HANDLE handle = CreateFileW(
        toWide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        m_heldElsewhere = GetLastError() == ERROR_SHARING_VIOLATION;
        return false;
    }
    m_handle = handle;
    return true;
}

bool ExclusiveLock::isLocked() const
{
    return m_handle != nullptr;
}

#else

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

#endif

WriteResult replaceFile(const std::string& path, const std::string& bytes, Access access)
{
    return replaceFileWith(
        path, [&bytes](ByteSink& sink) { sink.write(bytes); }, access);
}

} // namespace platform
