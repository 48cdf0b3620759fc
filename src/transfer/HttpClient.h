#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace transfer {

// Why a request got no response. Everything but None means nothing usable came back.
enum class HttpFailure {
    None,
    Setup, // the HTTP layer could not be set up
    BadAddress, // the address cannot be used (bad host, port or scheme)
    HostNotFound,
    ConnectionRefused, // no connection could be made
    CertificateRefused, // the server's certificate or host name did not verify
    TlsFailed, // the secure connection could not be set up otherwise
    TimedOut,
    ProxyFailed,
    SendFailed,
    ReceiveFailed,
    Other,
};

// What one request brought back. A response counts as received when the server answered with
// a complete header block, whatever its status; the caller judges the status.
struct HttpResponse
{
    HttpFailure failure = HttpFailure::None;
    std::string reason; // clear Dutch text for the user when failure != None
    long status = 0; // status code of the final response
    std::string headerBlock; // raw header block of the final response, status line first, CR LF lines
    std::string body; // body bytes as received

    bool isReceived() const { return failure == HttpFailure::None; }
    explicit operator bool() const { return isReceived(); }
    // The first line of the header block without its line end; empty when nothing came.
    std::string statusLine() const;
};

struct HttpTimeouts
{
    std::chrono::milliseconds connect { 30'000 };
    std::chrono::milliseconds whole { 300'000 }; // connect, send and receive together
};

// The program's one HTTP layer, on libcurl. One client serves one or more requests in turn, on
// the GUI thread. TLS peer and host name verification are always on, trusting the system's CAs
// plus the optional extra PEM file; the system's proxy settings (the usual proxy environment
// variables) apply; requests and responses speak HTTP/1.1 only; redirects are not followed.
class HttpClient
{
public:
    // agent is the User-Agent the requests carry; extraCaFile a PEM bundle trusted in addition
    // to the system's CAs (empty for none).
    explicit HttpClient(std::string agent, std::string extraCaFile = {});
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // True when the HTTP layer could be set up. Every request fails with HttpFailure::Setup
    // otherwise.
    bool isOpen() const;
    // Tries to set the layer up again when it is not open; true when it is open afterwards.
    bool open();

    void setTimeouts(HttpTimeouts timeouts) { m_timeouts = timeouts; }
    HttpTimeouts timeouts() const { return m_timeouts; }
    // Reads at most this many body bytes of the next responses and ends the transfer there; a
    // body cut this way counts as received (its beginning is all the caller wants). A body that
    // ends before the limit is judged as always, a cut-off transfer included. 0: no limit.
    void setBodyPrefix(std::size_t bytes) { m_bodyPrefix = bytes; }

    // GET of url ("http://host[:port]/path" or https). Returns the final response or the reason
    // nothing came.
    HttpResponse get(const std::string& url);

    // POST of url with the body bytes exactly, Content-Length their size, the headers added in
    // the given order after the layer's own (Host, User-Agent, Content-Length), no Expect header
    // and no HTTP authentication. Returns the final response (interim 1xx blocks dropped) or the
    // reason nothing came.
    HttpResponse post(const std::string& url, const std::vector<std::string>& headers, const std::string& body);
    // As post, with the body read from the file at bodyPath while it is sent, so a large body
    // never lies in memory. A file that cannot be opened is a failure (Other) with the OS text.
    HttpResponse postFile(const std::string& url, const std::vector<std::string>& headers, const std::string& bodyPath);

    // The user's text for a failure, "Geen verbinding mogelijk met de server" and the like,
    // without the host.
    static std::string describe(HttpFailure failure);

private:
    struct Handle;
    struct Request;
    void trustExtraCa(Handle& handle) const;
    bool configure(const Request& request) const;
    HttpResponse perform(const std::string& url, const std::vector<std::string>* headers, const std::string* body,
        std::FILE* upload = nullptr, std::uint64_t uploadSize = 0);

    std::string m_agent;
    std::string m_extraCaFile;
    HttpTimeouts m_timeouts;
    std::size_t m_bodyPrefix = 0;
    std::unique_ptr<Handle> m_handle;
};

} // namespace transfer
