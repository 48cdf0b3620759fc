#pragma once

#include "TempDir.h"

#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

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

    bool isRunning() const { return m_pid > 0 && m_port > 0; }
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
    pid_t m_pid = -1;
    int m_port = 0;
    std::string m_error;
};

} // namespace testing_support
