#pragma once

#include <string>

#ifdef _WIN32
#include "platform/WideText.h"

#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace testing_support {

// Keeps this program from reading a file for as long as the object lives: on POSIX by taking
// every permission away, on Windows by holding the file open without sharing it (Windows has no
// permission its owner could not read through). Removing the file stays possible either way.
class UnreadableFile
{
public:
    explicit UnreadableFile(const std::string& path)
    {
#ifdef _WIN32
        m_file = CreateFileW(platform::toWide(path).c_str(), GENERIC_READ, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
            FILE_ATTRIBUTE_NORMAL, nullptr);
#else
        ::chmod(path.c_str(), 0);
#endif
    }
    ~UnreadableFile()
    {
#ifdef _WIN32
        if (m_file != INVALID_HANDLE_VALUE) {
            CloseHandle(m_file);
        }
#endif
    }
    UnreadableFile(const UnreadableFile&) = delete;
    UnreadableFile& operator=(const UnreadableFile&) = delete;

    // Why files cannot be made unreadable here; empty when they can.
    static std::string impossibleBecause()
    {
#ifdef _WIN32
        return {};
#else
        return ::geteuid() == 0 ? "the superuser reads every file" : "";
#endif
    }

private:
#ifdef _WIN32
    HANDLE m_file = INVALID_HANDLE_VALUE;
#endif
};

} // namespace testing_support
