// The Windows side of Files.h; FilesPosix.cpp is the other.
#ifdef _WIN32

#include "platform/Files.h"
#include "platform/WideText.h"

#include <atomic>
#include <memory>
#include <windows.h>
// windows.h first: these need its types.
#include <sddl.h>

namespace platform {

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

} // namespace platform

#endif
