#pragma once

#include <string>

namespace lengths {

// One download server of the published pipe-length list: host[:port], plain HTTP, the list at
// "/be/transvo/lgt.csv".
class UpdateSource
{
public:
    explicit UpdateSource(std::string hostPort);

    // "http://host:port/be/transvo/lgt.csv"; port 80 when none is given.
    std::string url() const;

    // One GET with the agent name "HTTP". Returns the body of a complete "200" response, or an
    // empty text when nothing usable came: no connection, a dropped or cut-off transfer, or
    // another status, so an error page or half a list is never taken for the list.
    std::string fetch() const;

private:
    std::string m_hostPort;
};

} // namespace lengths
