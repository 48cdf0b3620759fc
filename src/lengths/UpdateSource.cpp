#include "lengths/UpdateSource.h"

#include "platform/Deployment.h"
#include "transfer/HttpClient.h"

namespace lengths {

UpdateSource::UpdateSource(std::string hostPort)
    : m_hostPort(std::move(hostPort))
{
}

std::string UpdateSource::url() const
{
    const platform::HostPort target = platform::splitHostPort(m_hostPort, 80);
    return "http://" + target.host + ":" + std::to_string(target.port) + "/be/transvo/lgt.csv";
}

std::string UpdateSource::fetch() const
{
    transfer::HttpClient client("HTTP");
    transfer::HttpResponse response = client.get(url());
    if (!response.isReceived() || response.status != 200) {
        return {};
    }
    return std::move(response.body);
}

} // namespace lengths
