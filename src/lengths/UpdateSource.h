#pragma once

#include <string>

namespace lengths {

// One download server of the published pipe-length list: host[:port] over plain HTTP, or
// "https://host[:port]" over TLS verified like the webshop; the list at "/be/transvo/lgt.csv".
class UpdateSource
{
public:
    // extraCaFile: a PEM bundle trusted besides the system's CAs (empty for none).
    explicit UpdateSource(std::string hostPort, std::string extraCaFile = {});

    // "http://host:port/be/transvo/lgt.csv" (port 80 when none is given), or the https address
    // (port 443) when the host was given with "https://".
    std::string url() const;

    // One GET with the agent name "HTTP". Returns the body of a complete "200" response, or an
    // empty text when nothing usable came: no connection, a dropped or cut-off transfer, or
    // another status, so an error page or half a list is never taken for the list.
    std::string fetch() const;

    // As fetch, for the start-up check, which needs only the version line: at most the first
    // kBeginning bytes are read, and the whole request gives up after kCheckTimeout, so a slow
    // or silent server never holds the window back.
    std::string fetchBeginning() const;

    static constexpr std::size_t kBeginning = 4096;
    static constexpr int kCheckTimeoutMs = 10'000;

private:
    std::string fetch(std::size_t prefix, int timeoutMs) const;

    std::string m_hostPort;
    std::string m_extraCaFile;
};

} // namespace lengths
