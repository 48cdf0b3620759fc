#pragma once

#ifdef _WIN32

#include "lengths/PipeLengthTable.h"
#include "platform/Paths.h"
#include "platform/WideText.h"

#include <string>

#include <windows.h>

// Another process that opens the table (table_holder beside the test program) and keeps it open
// until this object goes: Windows' locks are taken per process, so only a second process shows
// that they hold.
class OtherTableProcess
{
public:
    OtherTableProcess(const std::string& tablePath, lengths::OpenMode mode)
    {
        SECURITY_ATTRIBUTES inherited { sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE };
        HANDLE childInput = nullptr;
        HANDLE childOutput = nullptr;
        if (!CreatePipe(&childInput, &m_input, &inherited, 0)) {
            return;
        }
        if (!CreatePipe(&m_output, &childOutput, &inherited, 0)) {
            CloseHandle(childInput);
            return;
        }
        SetHandleInformation(m_input, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(m_output, HANDLE_FLAG_INHERIT, 0);

        const std::wstring program
            = platform::toWide(platform::joinPath(platform::programFolder(), "table_holder.exe"));
        std::wstring commandLine = L"\"" + program + L"\" \"" + platform::toWide(tablePath) + L"\" "
            + (mode == lengths::OpenMode::Exclusive ? L"exclusive" : L"shared");
        STARTUPINFOW startup {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childInput;
        startup.hStdOutput = childOutput;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        const BOOL started = CreateProcessW(
            program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &m_process);
        CloseHandle(childInput);
        CloseHandle(childOutput);
        if (!started) {
            return;
        }
        char status = 0;
        DWORD read = 0;
        m_opened = ReadFile(m_output, &status, 1, &read, nullptr) && read == 1 && status == 'O';
    }
    ~OtherTableProcess()
    {
        CloseHandle(m_input);
        if (m_process.hProcess != nullptr) {
            WaitForSingleObject(m_process.hProcess, 10000);
            CloseHandle(m_process.hProcess);
            CloseHandle(m_process.hThread);
        }
        CloseHandle(m_output);
    }
    OtherTableProcess(const OtherTableProcess&) = delete;
    OtherTableProcess& operator=(const OtherTableProcess&) = delete;

    bool opened() const { return m_opened; }

private:
    HANDLE m_input = nullptr;
    HANDLE m_output = nullptr;
    PROCESS_INFORMATION m_process {};
    bool m_opened = false;
};

#endif
