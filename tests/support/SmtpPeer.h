#pragma once

#include "LocalServer.h"
#include "TempDir.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace testing_support {

// tools/smtpserver.py on a free loopback port, answering as its mode says, with the messages it
// took as files: message n (from 1) raw, read back by Python's email package as "key: value"
// lines, and its attachments' decoded bytes.
class SmtpPeer
{
public:
    explicit SmtpPeer(const std::string& mode = "accept", const std::string& greeting = {})
    {
        std::vector<std::string> args = { "--store", m_store.path(), "--mode", mode };
        if (!greeting.empty()) {
            args.insert(args.end(), { "--greeting", greeting });
        }
        m_server = std::make_unique<LocalServer>("smtpserver.py", args);
    }

    bool isRunning() const { return m_server->isRunning(); }
    std::string log() const { return m_server->log(); }
    std::string hostPort() const { return m_server->hostPort(); }

    int messageCount() const
    {
        int count = 0;
        while (std::filesystem::exists(m_store.file(std::to_string(count + 1) + ".eml"))) {
            ++count;
        }
        return count;
    }
    // The verbs of the commands the server heard, one per line, in order.
    std::string commands() const { return read("commands.log"); }
    std::string raw(int message) const { return read(std::to_string(message) + ".eml"); }
    std::string attachment(int message, int index) const
    {
        return read(std::to_string(message) + ".attachment-" + std::to_string(index));
    }
    // The values of every line of the summary with that key, in order.
    std::vector<std::string> values(int message, const std::string& key) const
    {
        std::istringstream lines(read(std::to_string(message) + ".txt"));
        std::vector<std::string> found;
        const std::string prefix = key + ": ";
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind(prefix, 0) == 0) {
                found.push_back(line.substr(prefix.size()));
            }
        }
        return found;
    }
    std::string value(int message, const std::string& key) const
    {
        const auto found = values(message, key);
        return found.empty() ? std::string("<none>") : found.front();
    }

private:
    std::string read(const std::string& name) const
    {
        std::ifstream in(m_store.file(name), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    TempDir m_store;
    std::unique_ptr<LocalServer> m_server;
};

} // namespace testing_support
