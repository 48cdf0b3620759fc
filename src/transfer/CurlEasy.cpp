#include "transfer/CurlEasy.h"

#include "platform/Deployment.h"

#include <mutex>

namespace transfer::curl {

bool initGlobal()
{
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ok;
}

Easy newEasy()
{
    return Easy(initGlobal() ? curl_easy_init() : nullptr);
}

bool append(Slist& list, const std::string& line)
{
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (!grown) {
        return false;
    }
    list.release();
    list.reset(grown);
    return true;
}

bool setCommon(CURL* curl, const std::string& url, const char* protocols, char* errorText,
    std::chrono::milliseconds connectTimeout)
{
    bool ok = true;
    const auto set = [&ok](CURLcode code) { ok = ok && code == CURLE_OK; };
    set(curl_easy_setopt(curl, CURLOPT_URL, url.c_str()));
    set(curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, protocols));
    set(curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText));
    // No signal handlers of libcurl's own in a GUI program; it also keeps libcurl thread-safe.
    set(curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L));
    set(curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectTimeout.count())));
    return ok;
}

std::string serverUrl(const char* scheme, const std::string& typed, int defaultPort)
{
    // A space typed before or after the name is a slip, not part of it.
    const size_t first = typed.find_first_not_of(" \t");
    const std::string hostPort
        = first == std::string::npos ? std::string() : typed.substr(first, typed.find_last_not_of(" \t") - first + 1);
    for (const unsigned char c : hostPort) {
        if (c <= ' ' || c == 0x7F || c == '/' || c == '\\' || c == '@' || c == '?' || c == '#' || c == '%') {
            return {};
        }
    }
    const platform::HostPort server = platform::splitHostPort(hostPort, defaultPort);
    if (server.host.empty()) {
        return {};
    }
    const bool ipv6 = server.host.find(':') != std::string::npos;
    const std::string host = ipv6 ? "[" + server.host + "]" : server.host;
    return std::string(scheme) + "://" + host + ":" + std::to_string(server.port);
}

} // namespace transfer::curl
