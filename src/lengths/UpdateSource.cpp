#include "lengths/UpdateSource.h"

#include "platform/Deployment.h"
#include "transfer/HttpClient.h"

#include <string_view>

namespace lengths {

UpdateSource::UpdateSource(std::string hostPort, std::string extraCaFile)
    : m_hostPort(std::move(hostPort))
    , m_extraCaFile(std::move(extraCaFile))
{
}

std::string UpdateSource::url() const
{
    constexpr std::string_view kHttps = "https://";
    constexpr std::string_view kHttp = "http://";
    std::string_view hostPort = m_hostPort;
    const bool secure = hostPort.starts_with(kHttps);
    if (secure) {
        hostPort.remove_prefix(kHttps.size());
    } else if (hostPort.starts_with(kHttp)) {
        hostPort.remove_prefix(kHttp.size());
    }
    const platform::HostPort target = platform::splitHostPort(std::string(hostPort), secure ? 443 : 80);
    return std::string(secure ? "https://" : "http://") + target.host + ":" + std::to_string(target.port)
        + "/be/transvo/lgt.csv";
}

std::string UpdateSource::fetch() const
{
    const transfer::HttpTimeouts standard;
    return fetch(0, static_cast<int>(standard.whole.count()));
}

std::string UpdateSource::fetchBeginning() const
{
    return fetch(kBeginning, kCheckTimeoutMs);
}

std::string UpdateSource::fetch(std::size_t prefix, int timeoutMs) const
{
    transfer::HttpClient client("HTTP", m_extraCaFile);
    transfer::HttpTimeouts timeouts;
    timeouts.whole = std::chrono::milliseconds(timeoutMs);
    timeouts.connect = std::min(timeouts.connect, timeouts.whole);
    client.setTimeouts(timeouts);
    client.setBodyPrefix(prefix);
    transfer::HttpResponse response = client.get(url());
    if (!response.isReceived() || response.status != 200) {
        return {};
    }
    return std::move(response.body);
}

} // namespace lengths
