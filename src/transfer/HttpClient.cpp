#include "transfer/HttpClient.h"

#include "platform/Files.h"
#include "transfer/CurlEasy.h"
#include "transfer/ResponseHeader.h"

#include <string_view>

#ifdef _WIN32
#include "platform/WideText.h"

#include <windows.h>
// windows.h first: wincrypt.h needs its types.
#include <wincrypt.h>
#endif

namespace transfer {

namespace {

// A reply page larger than this is not a webshop's answer; stop rather than fill memory.
constexpr size_t kMaxBody = 64u * 1024u * 1024u;
constexpr size_t kMaxHeaderBlock = 1024u * 1024u;

using curl::append;
using curl::Slist;

struct ResetOnExit
{
    explicit ResetOnExit(CURL* handle)
        : curl(handle)
    {
        curl_easy_reset(curl);
    }
    ~ResetOnExit() { curl_easy_reset(curl); }
    CURL* curl;
};

struct Reply
{
    ResponseHeader header;
    std::string body;
    bool tooLarge = false;
    std::size_t prefix = 0; // 0: the whole body
    bool cut = false; // ended on purpose after prefix bytes
};

size_t onHeader(char* data, size_t size, size_t count, void* user)
{
    auto* reply = static_cast<Reply*>(user);
    const size_t bytes = size * count;
    if (reply->header.block().size() + bytes > kMaxHeaderBlock) {
        reply->tooLarge = true;
        return 0;
    }
    reply->header.addLine(std::string_view(data, bytes));
    return bytes;
}

size_t onBody(char* data, size_t size, size_t count, void* user)
{
    auto* reply = static_cast<Reply*>(user);
    const size_t bytes = size * count;
    if (reply->prefix != 0 && reply->body.size() + bytes > reply->prefix) {
        reply->body.append(data, reply->prefix - reply->body.size());
        reply->cut = true;
        return 0;
    }
    if (reply->body.size() + bytes > kMaxBody) {
        reply->tooLarge = true;
        return 0;
    }
    reply->body.append(data, bytes);
    return bytes;
}

size_t onUpload(char* buffer, size_t size, size_t count, void* user)
{
    auto* file = static_cast<std::FILE*>(user);
    const size_t read = std::fread(buffer, 1, size * count, file);
    // A read error must not pass for the end of the body: the server would take half an order.
    return read == 0 && std::ferror(file) ? CURL_READFUNC_ABORT : read;
}

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::unique_ptr<std::FILE, FileCloser> openForReading(const std::string& path)
{
#ifdef _WIN32
    return std::unique_ptr<std::FILE, FileCloser>(_wfopen(platform::toWide(path).c_str(), L"rb"));
#else
    return std::unique_ptr<std::FILE, FileCloser>(std::fopen(path.c_str(), "rb"));
#endif
}

HttpFailure failureOf(CURLcode code)
{
    switch (code) {
    case CURLE_OK:
        return HttpFailure::None;
    case CURLE_FAILED_INIT:
    case CURLE_OUT_OF_MEMORY:
        return HttpFailure::Setup;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
        return HttpFailure::BadAddress;
    case CURLE_COULDNT_RESOLVE_HOST:
        return HttpFailure::HostNotFound;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_PROXY:
        return HttpFailure::ProxyFailed;
    case CURLE_COULDNT_CONNECT:
        return HttpFailure::ConnectionRefused;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
        return HttpFailure::CertificateRefused;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_USE_SSL_FAILED:
        return HttpFailure::TlsFailed;
    case CURLE_OPERATION_TIMEDOUT:
        return HttpFailure::TimedOut;
    case CURLE_SEND_ERROR:
    case CURLE_READ_ERROR:
        return HttpFailure::SendFailed;
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_WRITE_ERROR:
    case CURLE_HTTP2:
        return HttpFailure::ReceiveFailed;
    default:
        return HttpFailure::Other;
    }
}

// host[:port] of a URL, to name the peer in a message.
std::string authorityOf(const std::string& url)
{
    std::string_view rest(url);
    const size_t scheme = rest.find("://");
    if (scheme != std::string_view::npos) {
        rest.remove_prefix(scheme + 3);
    }
    return std::string(rest.substr(0, rest.find('/')));
}

HttpResponse failed(HttpFailure failure, const std::string& url, std::string_view detail)
{
    HttpResponse response;
    response.failure = failure;
    response.reason = HttpClient::describe(failure);
    const std::string peer = authorityOf(url);
    if (!peer.empty()) {
        response.reason += " (" + peer + ")";
    }
    response.reason += ".";
    if (!detail.empty()) {
        response.reason += "\n";
        response.reason += detail;
    }
    return response;
}

} // namespace

struct HttpClient::Request
{
    const std::string& url;
    curl_slist* headerList;
    const std::string* body; // none for a GET
    Reply* reply;
    char* errorText;
    std::FILE* upload; // the body comes from this file instead
    std::uint64_t uploadSize;
};

struct HttpClient::Handle
{
    curl::Easy easy;
    CURL* curl = nullptr; // easy.get()
    std::string caFile; // the extra CA file, where the system's CA folder stays in use
    std::string caBundle; // else the system CAs plus the extra file, handed over as one blob
    std::string caError; // why the extra file could not be used
};

std::string HttpResponse::statusLine() const
{
    return statusLineOf(headerBlock);
}

HttpClient::HttpClient(std::string agent, std::string extraCaFile)
    : m_agent(std::move(agent))
    , m_extraCaFile(std::move(extraCaFile))
{
    open();
}

HttpClient::~HttpClient() = default;

#ifdef _WIN32
namespace {

// The certificates of Windows' own root store as PEM. With a CA file, libcurl's Schannel
// checks the chain against the file's certificates alone.
std::string systemRootsPem()
{
    std::string pem;
    HCERTSTORE store = CertOpenSystemStoreW(0, L"ROOT");
    if (store == nullptr) {
        return pem;
    }
    PCCERT_CONTEXT certificate = nullptr;
    while ((certificate = CertEnumCertificatesInStore(store, certificate)) != nullptr) {
        DWORD size = 0;
        if (!CryptBinaryToStringA(
                certificate->pbCertEncoded, certificate->cbCertEncoded, CRYPT_STRING_BASE64HEADER, nullptr, &size)) {
            continue;
        }
        std::string text(size, '\0');
        if (CryptBinaryToStringA(certificate->pbCertEncoded, certificate->cbCertEncoded, CRYPT_STRING_BASE64HEADER,
                text.data(), &size)) {
            text.resize(size);
            pem += text;
        }
    }
    CertCloseStore(store, 0);
    return pem;
}

} // namespace
#endif

// A CA file given to libcurl replaces its default bundle. Where the system's CAs are also
// installed as a hashed folder, libcurl keeps searching that folder next to the file, so the
// file alone does; elsewhere the system bundle and the extra file go in together as one blob,
// which costs a parse of the whole bundle for every connection.
void HttpClient::trustExtraCa(Handle& handle) const
{
    std::string error;
    const auto extra = platform::readFile(m_extraCaFile, &error);
    if (!extra) {
        handle.caError = "Het certificatenbestand " + m_extraCaFile + " kan niet gelezen worden: " + error;
        return;
    }
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    if (info && info->capath && platform::folderExists(info->capath)) {
        handle.caFile = m_extraCaFile;
        return;
    }
    if (info && info->cainfo) {
        if (const auto system = platform::readFile(info->cainfo)) {
            handle.caBundle = *system + "\n";
        }
    }
#ifdef _WIN32
    handle.caBundle = systemRootsPem() + "\n";
#endif
    handle.caBundle += *extra;
}

bool HttpClient::isOpen() const
{
    return m_handle && m_handle->curl;
}

bool HttpClient::open()
{
    if (isOpen()) {
        return true;
    }
    auto handle = std::make_unique<Handle>();
    handle->easy = curl::newEasy();
    handle->curl = handle->easy.get();
    if (!handle->curl) {
        return false;
    }
    if (!m_extraCaFile.empty()) {
        trustExtraCa(*handle);
    }
    m_handle = std::move(handle);
    return true;
}

std::string HttpClient::describe(HttpFailure failure)
{
    switch (failure) {
    case HttpFailure::None:
        return {};
    case HttpFailure::Setup:
        return "De internetverbinding kan niet worden opgezet";
    case HttpFailure::BadAddress:
        return "Ongeldig adres van de server";
    case HttpFailure::HostNotFound:
        return "Server niet gevonden";
    case HttpFailure::ConnectionRefused:
        return "Geen verbinding mogelijk met de server";
    case HttpFailure::CertificateRefused:
        return "Certificaat van de server geweigerd";
    case HttpFailure::TlsFailed:
        return "Beveiligde verbinding met de server mislukt";
    case HttpFailure::TimedOut:
        return "Geen antwoord van de server binnen de tijdslimiet";
    case HttpFailure::ProxyFailed:
        return "Proxyserver niet bereikbaar";
    case HttpFailure::SendFailed:
        return "Verzenden naar de server mislukt";
    case HttpFailure::ReceiveFailed:
        return "Antwoord van de server niet volledig ontvangen";
    case HttpFailure::Other:
        break;
    }
    return "Fout bij de verbinding met de server";
}

HttpResponse HttpClient::get(const std::string& url)
{
    return perform(url, nullptr, nullptr);
}

HttpResponse HttpClient::post(const std::string& url, const std::vector<std::string>& headers, const std::string& body)
{
    return perform(url, &headers, &body);
}

HttpResponse HttpClient::postFile(
    const std::string& url, const std::vector<std::string>& headers, const std::string& bodyPath)
{
    const auto file = openForReading(bodyPath);
    if (!file) {
        // Nothing was sent; the reason is the file, not the connection.
        HttpResponse response;
        response.failure = HttpFailure::Other;
        response.reason = "Het bestand " + bodyPath + " kan niet gelezen worden: " + platform::lastErrorText();
        return response;
    }
    const std::string empty;
    return perform(url, &headers, &empty, file.get(), platform::fileSize(bodyPath));
}

bool HttpClient::configure(const Request& request) const
{
    CURL* curl = m_handle->curl;
    bool ok = curl::setCommon(curl, request.url, "http,https", request.errorText, m_timeouts.connect);
    const auto set = [&ok](CURLcode code) { ok = ok && code == CURLE_OK; };
    set(curl_easy_setopt(curl, CURLOPT_USERAGENT, m_agent.c_str()));
    // The reply check compares the status line with an HTTP/1.1 one; HTTP/2 has no reason phrase.
    set(curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)));
    set(curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L));
    set(curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L));
    set(curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L));
    // Older protocol versions have known breaks; every webshop and server of ours speaks 1.2.
    set(curl_easy_setopt(curl, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2)));
    set(curl_easy_setopt(curl, CURLOPT_PROXY_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2)));
    set(curl_easy_setopt(curl, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L));
    set(curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(m_timeouts.whole.count())));
    set(curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &onHeader));
    set(curl_easy_setopt(curl, CURLOPT_HEADERDATA, request.reply));
    set(curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &onBody));
    set(curl_easy_setopt(curl, CURLOPT_WRITEDATA, request.reply));
    // The extra CAs also vouch for an HTTPS proxy: a company that runs one with its own CA
    // names that CA here.
    if (!m_handle->caFile.empty()) {
        set(curl_easy_setopt(curl, CURLOPT_CAINFO, m_handle->caFile.c_str()));
        set(curl_easy_setopt(curl, CURLOPT_PROXY_CAINFO, m_handle->caFile.c_str()));
    }
    if (!m_handle->caBundle.empty()) {
        curl_blob blob { m_handle->caBundle.data(), m_handle->caBundle.size(), CURL_BLOB_NOCOPY };
        set(curl_easy_setopt(curl, CURLOPT_CAINFO_BLOB, &blob));
        set(curl_easy_setopt(curl, CURLOPT_PROXY_CAINFO_BLOB, &blob));
    }
    if (request.upload) {
        set(curl_easy_setopt(curl, CURLOPT_HTTPHEADER, request.headerList));
        set(curl_easy_setopt(curl, CURLOPT_POST, 1L));
        set(curl_easy_setopt(curl, CURLOPT_READFUNCTION, &onUpload));
        set(curl_easy_setopt(curl, CURLOPT_READDATA, request.upload));
        set(curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.uploadSize)));
        return ok;
    }
    if (!request.body) {
        set(curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L));
        return ok;
    }
    set(curl_easy_setopt(curl, CURLOPT_HTTPHEADER, request.headerList));
    set(curl_easy_setopt(curl, CURLOPT_POST, 1L));
    set(curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body->size())));
    set(curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body->data()));
    return ok;
}

HttpResponse HttpClient::perform(const std::string& url, const std::vector<std::string>* headers,
    const std::string* body, std::FILE* upload, std::uint64_t uploadSize)
{
    if (!isOpen()) {
        return failed(HttpFailure::Setup, url, {});
    }
    if (url.rfind("https://", 0) == 0 && !m_handle->caError.empty()) {
        return failed(HttpFailure::TlsFailed, url, m_handle->caError);
    }
    Slist list;
    bool listed = true;
    if (body) {
        for (const std::string& header : *headers) {
            listed = listed && append(list, header);
        }
        // libcurl would send "Expect: 100-continue" for a large body and wait for an interim reply.
        listed = listed && append(list, "Expect:");
    }
    Reply reply;
    reply.prefix = m_bodyPrefix;
    char errorText[CURL_ERROR_SIZE] = {};
    // Clears earlier options but keeps the connection cache, and afterwards leaves the handle
    // without pointers into this frame.
    const ResetOnExit reset(m_handle->curl);
    if (!listed || !configure({ url, list.get(), body, &reply, errorText, upload, uploadSize })) {
        return failed(HttpFailure::Setup, url, {});
    }

    CURLcode code = curl_easy_perform(m_handle->curl);
    if (code == CURLE_WRITE_ERROR && reply.cut) {
        code = CURLE_OK;
    }
    HttpResponse response;
    if (code != CURLE_OK) {
        const std::string detail = reply.tooLarge ? "Het antwoord is te groot." : std::string(errorText);
        response = failed(failureOf(code), url, detail.empty() ? curl_easy_strerror(code) : detail);
    } else if (!reply.header.isComplete()) {
        // libcurl takes a connection closed inside the header block for a finished reply.
        response = failed(HttpFailure::ReceiveFailed, url, "De server sloot de verbinding midden in het antwoord.");
    }
    curl_easy_getinfo(m_handle->curl, CURLINFO_RESPONSE_CODE, &response.status);
    // A block cut off before its empty line is no answer: its status line would still read as
    // the webshop's acceptance.
    if (reply.header.isComplete()) {
        response.headerBlock = reply.header.block();
    } else {
        response.status = 0;
    }
    response.body = std::move(reply.body);
    return response;
}

} // namespace transfer
