#pragma once

#include <string>

namespace platform {

// What the supplier sets per installation, from deployment.ini in the program folder. A key
// that is missing (or a missing file) keeps the value compiled in.
struct Deployment
{
    std::string webshopBe; // [webshop] be      host[:port], https
    std::string webshopNl; // [webshop] nl
    std::string lengthsCheck; // [lengths] check   host[:port], http; "https://host[:port]" for TLS
    std::string lengthsUpdate; // [lengths] update
    std::string icmMailbox; // [icm] mailbox
    std::string tlsCaFile; // [tls] ca_file     extra PEM bundle, optional
};

// The compiled-in defaults.
Deployment defaultDeployment();

// Parses ini text over the defaults: [section] headers, key = value lines, values trimmed,
// comments starting with ';' or '#' (whole lines, or after a value), unknown keys and
// malformed lines ignored.
Deployment parseDeployment(const std::string& text);

// Reads the file at path; a missing or unreadable file gives the defaults.
Deployment readDeployment(const std::string& path);

// Splits "host[:port]" into host and port; defaultPort when none is given or it is invalid.
struct HostPort
{
    std::string host;
    int port = 0;
};
HostPort splitHostPort(const std::string& value, int defaultPort);

} // namespace platform
