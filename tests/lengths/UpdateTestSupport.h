#pragma once

#include "LocalServer.h"
#include "TempDir.h"
#include "platform/Files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace update_test {

// A program folder holding a copy of an installed table, lgt.dbf with lgt.CDX.
class ProgramFolder
{
public:
    explicit ProgramFolder(const std::string& fixture = "small")
    {
        const std::filesystem::path source = std::filesystem::path(TRANSVO_FIXTURES) / "lengths" / fixture;
        for (const char* name : { "lgt.dbf", "lgt.CDX" }) {
            const std::filesystem::path target = m_dir.file(name);
            std::filesystem::copy_file(source / name, target);
            // The fixtures are read-only; an installed table is not.
            std::filesystem::permissions(
                target, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        }
    }

    std::string path() const { return m_dir.path(); }
    std::string file(const std::string& name) const { return m_dir.file(name); }
    bool has(const std::string& name) const { return std::filesystem::exists(file(name)); }
    // The file's bytes; "<missing>" when it is not there.
    std::string bytes(const std::string& name) const { return platform::readFile(file(name)).value_or("<missing>"); }
    void put(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(file(name), std::ios::binary) << bytes;
    }

private:
    testing_support::TempDir m_dir;
};

// The local download server in one of its modes, or serving a file; it records every request.
class DownloadServer
{
public:
    explicit DownloadServer(const std::string& mode)
        : m_server("downloadserver.py", { "--mode", mode, "--log", m_logDir.file("requests.log") })
    {
    }
    DownloadServer(const char* option, const std::string& value)
        : DownloadServer(std::vector<std::string> { option, value })
    {
    }
    explicit DownloadServer(std::vector<std::string> args)
        : m_server("downloadserver.py", withLog(std::move(args)))
    {
    }

    bool isRunning() const { return m_server.isRunning(); }
    std::string hostPort() const { return m_server.hostPort(); }
    std::string log() const { return m_server.log(); }
    void stop() { m_server.stop(); }

    // One line per request: "<method> <path>\t<User-Agent>".
    std::vector<std::string> requests() const
    {
        std::vector<std::string> lines;
        std::ifstream in(m_logDir.file("requests.log"));
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

private:
    std::vector<std::string> withLog(std::vector<std::string> args) const
    {
        args.insert(args.end(), { "--log", m_logDir.file("requests.log") });
        return args;
    }

    testing_support::TempDir m_logDir;
    testing_support::LocalServer m_server;
};

inline std::string testData(const std::string& name)
{
    return std::string(TRANSVO_TEST_DATA) + "/lengths/update/" + name;
}

} // namespace update_test
