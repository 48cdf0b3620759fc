#include "transfer/CHttp.h"

namespace transfer {

namespace {

// The one header block the webshop expects, in this order.
const std::vector<std::string> kUploadHeaders = {
    "Content-Type: application/x-www-form-urlencoded",
    "Accept: */*",
};

std::string urlOf(bool secure, const std::string& host, std::uint16_t port, const std::string& path)
{
    // An IPv6 literal needs its brackets back inside a URL.
    const std::string authority = host.find(':') == std::string::npos ? host : "[" + host + "]";
    std::string url = secure ? "https://" : "http://";
    url += authority + ":" + std::to_string(port);
    url += path.empty() || path.front() != '/' ? "/" + path : path;
    return url;
}

} // namespace

CHttp::CHttp(std::string agentName, std::string extraCaFile)
    : m_agentName(std::move(agentName))
    , m_extraCaFile(std::move(extraCaFile))
{
}

bool CHttp::open()
{
    if (!m_session) {
        m_session = std::make_unique<HttpClient>(m_agentName, m_extraCaFile);
    }
    return m_session->open();
}

bool CHttp::isOpen() const
{
    return m_session && m_session->isOpen();
}

void CHttp::close()
{
    m_session.reset();
}

std::optional<std::string> CHttp::prepare(
    const std::string& host, const std::string& path, std::uint16_t port, unsigned flags)
{
    const bool secure = (flags & Secure) != 0;
    if (port != 0) {
        m_port = port;
    } else if (secure) {
        m_port = 443;
    }
    m_lastResponse = HttpResponse();
    if (!isOpen() && !open()) {
        m_lastResponse.failure = HttpFailure::Setup;
        m_lastResponse.reason = HttpClient::describe(HttpFailure::Setup) + ".";
        return std::nullopt;
    }
    m_session->setTimeouts(m_timeouts);
    return urlOf(secure, host, m_port, path);
}

std::string CHttp::ORDER_UPLOAD(
    const std::string& host, const std::string& path, const std::string& dataPath, std::uint16_t port, unsigned flags)
{
    const std::optional<std::string> url = prepare(host, path, port, flags);
    if (!url) {
        return {};
    }
    m_lastResponse = m_session->postFile(*url, kUploadHeaders, dataPath);
    return m_lastResponse.isReceived() ? m_lastResponse.body : std::string();
}

} // namespace transfer
