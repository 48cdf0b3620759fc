#pragma once

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <string>

// The libcurl layer under every connection of the program (webshop, downloads, e-mail): one
// global set-up, owners for libcurl's handles and the options all connections share.
namespace transfer::curl {

// Sets libcurl up once per process; false when that failed.
bool initGlobal();

struct EasyDeleter
{
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;
// A new easy handle, or none when libcurl could not be set up.
Easy newEasy();

struct SlistDeleter
{
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;
// Appends a copy of line; false (and the list unchanged) when memory ran out.
bool append(Slist& list, const std::string& line);

struct MimeDeleter
{
    void operator()(curl_mime* mime) const { curl_mime_free(mime); }
};
using Mime = std::unique_ptr<curl_mime, MimeDeleter>;

// What every transfer sets: the address, the only protocols it may speak (so a redirect or a
// crafted address cannot switch to another), the error text buffer (CURL_ERROR_SIZE bytes) and
// the connect time-out. True when libcurl took them all.
bool setCommon(CURL* curl, const std::string& url, const char* protocols, char* errorText,
    std::chrono::milliseconds connectTimeout);

// "scheme://host:port" for host[:port] text as the user typed it (spaces around it ignored),
// with port defaultPort when none is given; an IPv6 address gets its brackets. Empty when the
// text is empty or holds characters that would make it more than a host name (a path, user
// name, space or control).
std::string serverUrl(const char* scheme, const std::string& typed, int defaultPort);

} // namespace transfer::curl
