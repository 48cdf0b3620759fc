#include "platform/Deployment.h"

#include "platform/Files.h"

#include <string_view>

namespace platform {

namespace {

std::string_view trim(std::string_view text)
{
    const auto isBlank
        = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; };
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// A value ends at an inline comment: ';' or '#' that starts the value or follows a blank.
std::string_view stripComment(std::string_view value)
{
    for (size_t i = 0; i < value.size(); ++i) {
        if ((value[i] == ';' || value[i] == '#') && (i == 0 || value[i - 1] == ' ' || value[i - 1] == '\t')) {
            return value.substr(0, i);
        }
    }
    return value;
}

std::string* keyOf(Deployment& deployment, std::string_view section, std::string_view key)
{
    // clang-format off
        struct Entry { std::string_view section, key; std::string Deployment::*field; };
        static const Entry entries[] = {
            {"webshop", "be",      &Deployment::webshopBe},
            {"webshop", "nl",      &Deployment::webshopNl},
            {"lengths", "check",   &Deployment::lengthsCheck},
            {"lengths", "update",  &Deployment::lengthsUpdate},
            {"icm",     "mailbox", &Deployment::icmMailbox},
            {"tls",     "ca_file", &Deployment::tlsCaFile},
        };
    // clang-format on
    for (const auto& entry : entries) {
        if (entry.section == section && entry.key == key) {
            return &(deployment.*entry.field);
        }
    }
    return nullptr;
}

} // namespace

Deployment defaultDeployment()
{
    Deployment deployment;
    deployment.webshopBe = TRANSVO_DEFAULT_WEBSHOP_BE;
    deployment.webshopNl = TRANSVO_DEFAULT_WEBSHOP_NL;
    deployment.lengthsCheck = TRANSVO_DEFAULT_LENGTHS_CHECK;
    deployment.lengthsUpdate = TRANSVO_DEFAULT_LENGTHS_UPDATE;
    deployment.icmMailbox = TRANSVO_DEFAULT_ICM_MAILBOX;
    deployment.tlsCaFile = TRANSVO_DEFAULT_TLS_CA_FILE;
    return deployment;
}

Deployment parseDeployment(const std::string& text)
{
    Deployment deployment = defaultDeployment();
    std::string section;
    std::string_view rest(text);
    if (rest.substr(0, 3) == "\xEF\xBB\xBF") {
        rest.remove_prefix(3);
    }
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        std::string_view line = trim(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            const auto close = line.find(']');
            section = close == std::string_view::npos ? std::string() : std::string(trim(line.substr(1, close - 1)));
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos || section.empty()) {
            continue;
        }
        // An empty value counts as not set: the compiled-in value is the better guess.
        const std::string_view value = trim(stripComment(trim(line.substr(equals + 1))));
        if (std::string* field = keyOf(deployment, section, trim(line.substr(0, equals))); field && !value.empty()) {
            *field = std::string(value);
        }
    }
    return deployment;
}

Deployment readDeployment(const std::string& path)
{
    const auto text = readFile(path);
    return text ? parseDeployment(*text) : defaultDeployment();
}

HostPort splitHostPort(const std::string& value, int defaultPort)
{
    HostPort result { value, defaultPort };
    // "[::1]:8443" or "host:8443"; a bare IPv6 address without brackets keeps the default port.
    size_t colon = std::string::npos;
    if (!value.empty() && value.front() == '[') {
        const auto close = value.find(']');
        if (close != std::string::npos) {
            result.host = value.substr(1, close - 1);
            if (close + 1 < value.size() && value[close + 1] == ':') {
                colon = close + 1;
            }
        }
    } else if (value.find(':') == value.rfind(':')) {
        colon = value.find(':');
        if (colon != std::string::npos) {
            result.host = value.substr(0, colon);
        }
    }
    if (colon != std::string::npos) {
        int port = 0;
        const std::string digits = value.substr(colon + 1);
        bool valid = !digits.empty() && digits.size() <= 5;
        for (char c : digits) {
            valid = valid && c >= '0' && c <= '9';
            port = valid ? port * 10 + (c - '0') : port;
        }
        result.port = valid && port > 0 && port <= 65535 ? port : defaultPort;
    }
    return result;
}

} // namespace platform
