#pragma once

#include "TempDir.h"

#include <cctype>
#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include "Loopback.h"
#include "platform/WideText.h"

#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace testing_support {

// A test peer from tools/ running as a child process on a free loopback port. The server is
// started as `python3 <script> <args...> --port 0 --port-file <file>` and must write the port it
// chose into that file (written aside and renamed, so it is never read half-written). Its output
// goes to a log file. The destructor stops it.
//
//     LocalServer shop("webshop.py", { "--cert-dir", certs.path() });
//     ASSERT_TRUE(shop.isRunning()) << shop.log();
//     post("https://" + shop.hostPort() + "/barcodescanner/index/xml");
class LocalServer
{
public:
    // script is a file name in the source tree's tools/ folder (relative to the current folder
    // where TRANSVO_SOURCE_DIR is not defined), or an absolute path.
    LocalServer(const std::string& script, const std::vector<std::string>& args,
        std::chrono::milliseconds startTimeout = std::chrono::seconds(20))
    {
        start(toolPath(script), args, startTimeout);
    }
    ~LocalServer() { stop(); }
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    bool isRunning() const { return isStarted() && m_port > 0; }
    int port() const { return m_port; }
    std::string hostPort() const { return "127.0.0.1:" + std::to_string(m_port); }
    // A folder that lives as long as the server, for its port file, log and whatever else.
    const TempDir& folder() const { return m_folder; }
    // What the server printed so far, and why it did not start, for assertion messages.
    std::string log() const
    {
        std::ifstream in(m_folder.file("server.log"), std::ios::binary);
        std::ostringstream text;
        text << m_error << "\n" << in.rdbuf();
        return text.str();
    }

#ifdef _WIN32
    // Closes the tether's connection, which stops the server, and waits until it has ended.
    void stop()
    {
        if (m_tether == INVALID_SOCKET) {
            return;
        }
        closesocket(m_tether);
        m_tether = INVALID_SOCKET;
        for (int i = 0; i < 300 && !std::ifstream(m_folder.file("ended")); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
#else
    // Stops the server (SIGTERM, SIGKILL after two seconds) and waits for it.
    void stop()
    {
        if (m_pid <= 0) {
            return;
        }
        ::kill(m_pid, SIGTERM);
        for (int i = 0; i < 200; ++i) {
            if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
                m_pid = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
#endif

    static std::string toolPath(const std::string& script)
    {
        if (!script.empty() && script.front() == '/') {
            return script;
        }
#ifdef TRANSVO_SOURCE_DIR
        return std::string(TRANSVO_SOURCE_DIR) + "/tools/" + script;
#else
        return "tools/" + script;
#endif
    }

private:
    bool isStarted() const
    {
#ifdef _WIN32
        return m_tether != INVALID_SOCKET;
#else
        return m_pid > 0;
#endif
    }

#ifdef _WIN32
    static bool isWindowsPath(const std::string& text)
    {
        return text.size() > 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':'
            && (text[2] == '\\' || text[2] == '/');
    }

    // Under Wine the servers run as programs of the host, so they get the host's names for files.
    static bool hostPath(const std::string& path, std::string& unixPath)
    {
        using ToUnix = char* (*)(const wchar_t*);
        const auto toUnix = reinterpret_cast<ToUnix>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
        if (toUnix == nullptr) {
            return false;
        }
        char* name = toUnix(platform::toWide(path).c_str());
        if (name == nullptr) {
            return false;
        }
        unixPath = name;
        HeapFree(GetProcessHeap(), 0, name);
        return true;
    }

    // One argument as the C runtime splits a command line: quoted, backslashes before a quote
    // doubled.
    static std::wstring quoted(const std::string& arg)
    {
        std::wstring text = L"\"";
        std::size_t backslashes = 0;
        for (const char c : arg) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            text.append(c == '"' ? backslashes * 2 + 1 : backslashes, L'\\');
            backslashes = 0;
            text += static_cast<wchar_t>(static_cast<unsigned char>(c));
        }
        text.append(backslashes * 2, L'\\');
        return text + L"\"";
    }

    // Wine starts a host program for us but hands out no handle to stop it with, nor a pipe to
    // its input, so the server runs under tools/tether.py, which connects back to us and stops
    // the server when that connection closes: in stop(), or when this process ends however.
    void start(const std::string& script, const std::vector<std::string>& args, std::chrono::milliseconds timeout)
    {
        const std::string portFile = m_folder.file("port");
        if (m_listener.port() == 0) {
            m_error = "no loopback port for the tether";
            return;
        }
        std::vector<std::string> argv
            = { "python3", "-u", toolPath("tether.py"), "--connect", std::to_string(m_listener.port()), "--log",
                  m_folder.file("server.log"), "--ended", m_folder.file("ended"), "python3", "-u", script };
        argv.insert(argv.end(), args.begin(), args.end());
        argv.insert(argv.end(), { "--port", "0", "--port-file", portFile });
        std::wstring commandLine = L"env";
        for (auto& arg : argv) {
            if (isWindowsPath(arg) && !hostPath(arg, arg)) {
                m_error = "the test servers run on the host: these tests need Wine";
                return;
            }
            commandLine += L" " + quoted(arg);
        }

        using ToDos = wchar_t* (*)(const char*);
        const auto toDos = reinterpret_cast<ToDos>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_dos_file_name")));
        wchar_t* env = toDos != nullptr ? toDos("/usr/bin/env") : nullptr;
        if (env == nullptr) {
            m_error = "the test servers run on the host: these tests need Wine";
            return;
        }
        const std::wstring program = env;
        HeapFree(GetProcessHeap(), 0, env);

        STARTUPINFOW startup {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process {};
        const BOOL started = CreateProcessW(
            program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
        // Wine gives none for a host program; Windows would.
        if (process.hProcess != nullptr) {
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        if (!started) {
            m_error = "python3 could not be started through /usr/bin/env";
            return;
        }

        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            if (m_tether == INVALID_SOCKET) {
                m_tether = m_listener.accept(std::chrono::milliseconds(10));
            }
            if (m_tether != INVALID_SOCKET && readPort(portFile)) {
                return;
            }
            if (std::ifstream(m_folder.file("ended"))) {
                m_error = "the server ended before it reported its port";
                stop();
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        m_error = "the server did not report its port in time";
        stop();
    }
#else
    void start(const std::string& script, const std::vector<std::string>& args, std::chrono::milliseconds timeout)
    {
        const std::string portFile = m_folder.file("port");
        const std::string logFile = m_folder.file("server.log");
        std::vector<std::string> argv = { "python3", "-u", script };
        argv.insert(argv.end(), args.begin(), args.end());
        argv.insert(argv.end(), { "--port", "0", "--port-file", portFile });
        std::vector<char*> raw;
        for (auto& arg : argv) {
            raw.push_back(arg.data());
        }
        raw.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        pid_t pid = -1;
        const int spawned = ::posix_spawnp(&pid, "python3", &actions, nullptr, raw.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            m_error = "python3 could not be started";
            return;
        }
        m_pid = pid;

        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            if (readPort(portFile)) {
                return;
            }
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                m_error = "the server ended before it reported its port";
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        m_error = "the server did not report its port in time";
        stop();
    }
#endif

    bool readPort(const std::string& portFile)
    {
        std::ifstream in(portFile);
        int port = 0;
        if (in >> port && port > 0 && port < 65536) {
            m_port = port;
            return true;
        }
        return false;
    }

    TempDir m_folder;
#ifdef _WIN32
    LoopbackListener m_listener;
    SOCKET m_tether = INVALID_SOCKET;
#else
    pid_t m_pid = -1;
#endif
    int m_port = 0;
    std::string m_error;
};

} // namespace testing_support
