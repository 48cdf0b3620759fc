#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lengths {

// One file of the table, opened and locked for as long as this object holds it. On Linux the
// lock is a whole-file flock(), shared or exclusive and never waiting, which is how xBase
// engines lock their tables and indexes there; on Windows the share modes do the same.
class TableFile
{
public:
    enum class Result { Opened, Locked, Missing, Failed };

    TableFile() = default;
    ~TableFile();
    TableFile(const TableFile&) = delete;
    TableFile& operator=(const TableFile&) = delete;

    // Exclusive opens are read-write, shared ones read-only. With create, a missing file is
    // created empty (exclusive opens only). Locked: someone else holds a conflicting lock.
    Result open(const std::string& path, bool exclusive, bool create = false);
    void close();
    bool isOpen() const { return m_fd >= 0; }

    // The whole file; nothing on a read error.
    std::optional<std::string> readAll();
    // Makes the file hold exactly these bytes, in place, so the lock stays on the same file.
    bool write(std::string_view bytes);
    // Flushes the file to disk.
    bool sync();

    // The operating system's text for the last failure.
    const std::string& errorText() const { return m_error; }

private:
    bool fail();

    int m_fd = -1;
    std::string m_error;
};

} // namespace lengths
