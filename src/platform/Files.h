#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The operating system's own text for the error code: errno on POSIX, a system error code
// (GetLastError) on Windows.
std::string errorText(int code);
// The operating system's text for the last file error of this thread.
std::string lastErrorText();

bool fileExists(const std::string& path); // an ordinary file
bool folderExists(const std::string& path);
// Size in bytes; 0 when the file does not exist or cannot be examined.
std::uint64_t fileSize(const std::string& path);

// The whole file as bytes, or nothing with the OS error text in *error.
std::optional<std::string> readFile(const std::string& path, std::string* error = nullptr);

// Creates the folder (not its parents). True when it exists afterwards as a folder.
bool createFolder(const std::string& path, std::string* error = nullptr);
// True when the file is gone afterwards because it was removed; false with the OS text.
bool removeFile(const std::string& path, std::string* error = nullptr);
// Gives the file the new name, replacing a file of that name in one step; false with the OS text.
bool renameFile(const std::string& from, const std::string& to, std::string* error = nullptr);

enum class Access { Default, OwnerOnly };

struct WriteResult
{
    bool ok = false;
    std::string osError; // the OS text when !ok
    // Set once the temporary file exists: a failure after it was a write, close or rename.
    bool created = false;
    explicit operator bool() const { return ok; }
};

// Writes the bytes to a temporary file in the target's folder, flushes it and renames it over
// the target, so a failure never leaves a half-written file. OwnerOnly makes the file readable
// and writable by the user alone (for files that hold the password).
WriteResult replaceFile(const std::string& path, const std::string& bytes, Access access = Access::Default);

// Takes the bytes of a file piece by piece. After a failed write the rest is ignored; the
// writer that owns the sink reports the failure.
class ByteSink
{
public:
    virtual void write(std::string_view bytes) = 0;

protected:
    ~ByteSink() = default;
};

// As replaceFile, with the bytes handed to the sink by produce: a large file then never has to
// lie in memory whole.
WriteResult replaceFileWith(
    const std::string& path, const std::function<void(ByteSink&)>& produce, Access access = Access::Default);

// What tells one version of a file from another: a rewrite, even in place and to the same size,
// changes the modification time, and a replacement the file's identity.
struct FileStamp
{
    std::uint64_t size = 0;
    std::int64_t modified = 0; // in the file system's finest unit
    std::uint64_t device = 0;
    std::uint64_t identity = 0; // inode or file index
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
// The stamp of an ordinary file, or nothing when it does not exist or cannot be examined.
std::optional<FileStamp> fileStamp(const std::string& path);

// Removes the temporary files replaceFile leaves behind when the program is stopped mid-write,
// in folder, when they are older than an hour (a younger one may be another instance's write in
// progress).
void removeLeftoverTemporaries(const std::string& folder);

// An exclusive lock on a file, held from lock() until the object goes; never waits. Another
// process (or another object here) holding it makes lock() fail. The file is created when
// missing and stays: removing it would let two holders lock two different files.
class ExclusiveLock
{
public:
    ExclusiveLock() = default;
    ~ExclusiveLock();
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

    bool lock(const std::string& path);
    bool isLocked() const;
    // After a failed lock(): true when someone else holds the lock, false when the file could
    // not be opened at all.
    bool isHeldElsewhere() const { return m_heldElsewhere; }

private:
    bool m_heldElsewhere = false;
#ifdef _WIN32
    void* m_handle = nullptr;
#else
    int m_fd = -1;
#endif
};

} // namespace platform
