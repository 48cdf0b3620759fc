#include "lengths/TableFile.h"

#include "platform/Files.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include "platform/WideText.h"

#include <io.h>
#include <windows.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

namespace lengths {

namespace {

#ifdef _WIN32
// Share modes are Windows' whole-file locks, kept by the system between processes: shared opens
// deny nobody, exclusive ones deny everybody, as the engines' opens do, so an exclusive open is
// refused while anyone has the file open and every open is refused while an exclusive one holds
// it. Failures leave the system's error code in GetLastError.
int openLocked(const std::string& path, bool exclusive, bool create)
{
    const DWORD access = exclusive ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    const DWORD share = exclusive ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE file = CreateFileW(platform::toWide(path).c_str(), access, share, nullptr,
        create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return -1;
    }
    const int fd
        = _open_osfhandle(reinterpret_cast<intptr_t>(file), exclusive ? _O_RDWR | _O_BINARY : _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(file);
        SetLastError(ERROR_TOO_MANY_OPEN_FILES);
    }
    return fd;
}
int lastCode()
{
    return static_cast<int>(GetLastError());
}
bool isMissing(int code)
{
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}
bool isLockRefusal(int code)
{
    return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
}
long long seekTo(int fd, long long offset)
{
    return _lseeki64(fd, offset, SEEK_SET);
}
int readSome(int fd, char* data, unsigned size)
{
    return _read(fd, data, size);
}
int writeSome(int fd, const char* data, unsigned size)
{
    return _write(fd, data, size);
}
long long position(int fd)
{
    return _telli64(fd);
}
long long sizeOf(int fd)
{
    return _filelengthi64(fd);
}
bool truncateTo(int fd, long long size)
{
    return _chsize_s(fd, size) == 0;
}
bool flushToDisk(int fd)
{
    return _commit(fd) == 0;
}
void closeFile(int fd)
{
    _close(fd);
}
#else
int openLocked(const std::string& path, bool exclusive, bool create)
{
    const int flags = (exclusive ? O_RDWR : O_RDONLY) | O_CLOEXEC | (create ? O_CREAT : 0);
    const int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) {
        return fd;
    }
    // A whole-file flock that never waits: what xBase engines on Linux take on each file
    // they open, so a rebuild here and a reader there (or the other way round) exclude
    // each other.
    if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        const int code = errno;
        ::close(fd);
        errno = code;
        return -1;
    }
    return fd;
}
int lastCode()
{
    return errno;
}
bool isMissing(int code)
{
    return code == ENOENT;
}
bool isLockRefusal(int code)
{
    return code == EWOULDBLOCK || code == EAGAIN;
}
long long seekTo(int fd, long long offset)
{
    return ::lseek(fd, offset, SEEK_SET);
}
long readSome(int fd, char* data, unsigned size)
{
    return ::read(fd, data, size);
}
long writeSome(int fd, const char* data, unsigned size)
{
    return ::write(fd, data, size);
}
long long position(int fd)
{
    return ::lseek(fd, 0, SEEK_CUR);
}
long long sizeOf(int fd)
{
    struct stat info
    {
    };
    return ::fstat(fd, &info) == 0 ? static_cast<long long>(info.st_size) : 0;
}
bool truncateTo(int fd, long long size)
{
    return ::ftruncate(fd, size) == 0;
}
bool flushToDisk(int fd)
{
    return ::fsync(fd) == 0;
}
void closeFile(int fd)
{
    ::close(fd);
}
#endif

constexpr unsigned kChunk = 1u << 20;

} // namespace

TableFile::~TableFile()
{
    close();
}

TableFile::Result TableFile::open(const std::string& path, bool exclusive, bool create)
{
    close();
    m_fd = openLocked(path, exclusive, create && exclusive);
    if (m_fd >= 0) {
        return Result::Opened;
    }
    const int code = lastCode();
    m_error = platform::errorText(code);
    if (isMissing(code)) {
        return Result::Missing;
    }
    return isLockRefusal(code) ? Result::Locked : Result::Failed;
}

void TableFile::close()
{
    if (m_fd >= 0) {
        closeFile(m_fd);
        m_fd = -1;
    }
}

bool TableFile::fail()
{
    m_error = platform::lastErrorText();
    return false;
}

std::optional<std::string> TableFile::readAll()
{
    if (m_fd < 0 || seekTo(m_fd, 0) != 0) {
        fail();
        return std::nullopt;
    }
    // One buffer of the file's size (a byte more to see the end); it grows should the file have.
    std::string bytes(static_cast<std::size_t>(std::max<long long>(sizeOf(m_fd), 0)) + 1, '\0');
    std::size_t size = 0;
    for (;;) {
        if (size == bytes.size()) {
            bytes.resize(size + kChunk);
        }
        const auto want = static_cast<unsigned>(std::min<std::size_t>(bytes.size() - size, kChunk));
        const auto got = readSome(m_fd, bytes.data() + size, want);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail();
            return std::nullopt;
        }
        if (got == 0) {
            bytes.resize(size);
            return bytes;
        }
        size += static_cast<std::size_t>(got);
    }
}

bool TableFile::write(std::string_view bytes)
{
    if (m_fd < 0 || seekTo(m_fd, 0) != 0) {
        return fail();
    }
    while (!bytes.empty()) {
        const unsigned size = bytes.size() > kChunk ? kChunk : static_cast<unsigned>(bytes.size());
        const auto written = writeSome(m_fd, bytes.data(), size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail();
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    const long long end = position(m_fd);
    return (end >= 0 && truncateTo(m_fd, end)) || fail();
}

bool TableFile::sync()
{
    return (m_fd >= 0 && flushToDisk(m_fd)) || fail();
}

} // namespace lengths
