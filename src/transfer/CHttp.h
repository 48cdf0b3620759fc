#pragma once

#include "transfer/HttpClient.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace transfer {

// The HTTP session of the order post: a named client that is opened, connected to one host and
// used for raw POST requests whose response header block it keeps.
class CHttp
{
public:
    enum Flags : unsigned { NoFlags = 0, Secure = 1 }; // Secure: TLS, port 443 unless given

    // agentName is the User-Agent of the requests; extraCaFile a PEM bundle trusted besides the
    // system's CAs.
    explicit CHttp(std::string agentName, std::string extraCaFile = {});

    // Opens the session with the system's proxy settings. True when it is open afterwards.
    bool open();
    bool isOpen() const;
    // Forgets the connection and releases the session.
    void close();

    void setTimeouts(HttpTimeouts timeouts) { m_timeouts = timeouts; }

    // POSTs the bytes of the file at dataPath to path on host, read while they are sent, so a
    // long order never lies in memory whole. port 0 keeps the session's port (443 for Secure).
    // The request carries the form content type and "Accept: */*", in that order, and the
    // file's bytes exactly. Returns the response body; empty when any step failed. Afterwards
    // lastResponse() holds the whole outcome: the raw header block (empty when none came) and
    // the reason of a failure.
    std::string ORDER_UPLOAD(const std::string& host, const std::string& path, const std::string& dataPath,
        std::uint16_t port = 0, unsigned flags = NoFlags);

    const HttpResponse& lastResponse() const { return m_lastResponse; }
    std::uint16_t port() const { return m_port; }

private:
    // The address of the post, or nothing when the session cannot be opened (lastResponse()
    // then says so).
    std::optional<std::string> prepare(
        const std::string& host, const std::string& path, std::uint16_t port, unsigned flags);

    std::string m_agentName;
    std::string m_extraCaFile;
    std::unique_ptr<HttpClient> m_session;
    HttpTimeouts m_timeouts;
    std::uint16_t m_port = 80;
    HttpResponse m_lastResponse;
};

} // namespace transfer
