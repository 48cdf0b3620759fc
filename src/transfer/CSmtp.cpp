#include "transfer/CSmtp.h"

#include "platform/Files.h"
#include "platform/Paths.h"
#include "transfer/CEmail.h"
#include "transfer/MailHeaders.h"

#include <algorithm>
#include <cctype>
#include <ctime>

#ifdef _WIN32
#include <winsock2.h>
#define poll WSAPoll
#else
#include <poll.h>
#include <sys/socket.h>
#endif

namespace transfer {

struct CSmtp::Transfer
{
    const std::string& url;
    char* errorText;
    curl_slist* headers;
    curl_slist* recipients;
    curl_mime* mime;
    curl_socket_t* socket; // the connection's socket, once libcurl made it
};

namespace {

constexpr int kSmtpPort = 25;
// A greeting is a few lines; a peer that keeps talking is not an SMTP server.
constexpr size_t kMaxReply = 64u * 1024u;

long wholeSeconds(std::chrono::milliseconds timeout)
{
    return std::max(1L, static_cast<long>((timeout.count() + 999) / 1000));
}

int rememberSocket(void* socket, curl_socket_t fd, curlsocktype)
{
    *static_cast<curl_socket_t*>(socket) = fd;
    return CURL_SOCKOPT_OK;
}

// After a time-out libcurl still says QUIT and waits the time-out again for the answer. A server
// that stopped answering will not answer that either; shutting the socket makes the QUIT fail at
// once.
void abandon(curl_socket_t socket)
{
    if (socket == CURL_SOCKET_BAD) {
        return;
    }
#ifdef _WIN32
    shutdown(socket, SD_BOTH);
#else
    shutdown(socket, SHUT_RDWR);
#endif
}

bool isReplyLine(const std::string& line)
{
    return line.size() >= 3
        && std::all_of(line.begin(), line.begin() + 3, [](unsigned char c) { return std::isdigit(c) != 0; })
        && (line.size() == 3 || line[3] == ' ' || line[3] == '-');
}

} // namespace

CSmtp::CSmtp(const CEmail* message, std::string remoteHost)
    : m_message(message)
    , m_remoteHost(std::move(remoteHost))
{
}

CSmtp::~CSmtp()
{
    disconnect();
}

bool CSmtp::sendMail()
{
    if (!m_message) {
        return false;
    }
    if (!m_message->hasUsableAddresses()) {
        return false;
    }
    const std::string url = curl::serverUrl("smtp", m_remoteHost, kSmtpPort);
    if (url.empty()) {
        return false;
    }
    std::vector<std::string> contents;
    return readAttachments(contents) && transmit(url, contents);
}

// Everything is read before connecting: a file that cannot be read must stop the message, not
// leave the server with half of it.
bool CSmtp::readAttachments(std::vector<std::string>& contents)
{
    for (const std::string& path : m_message->attachments()) {
        std::string error;
        auto bytes = platform::readFile(path, &error);
        if (!bytes) {
            return false;
        }
        contents.push_back(std::move(*bytes));
    }
    return true;
}

bool CSmtp::transmit(const std::string& url, const std::vector<std::string>& contents)
{
    curl::Slist headers;
    curl::Slist recipients;
    bool listed = true;
    for (const std::string& line :
        m_message->headerLines(std::time(nullptr), mail::newMessageId(m_message->senderAddress()))) {
        listed = listed && curl::append(headers, line);
    }
    for (const std::string& address : m_message->envelopeRecipients()) {
        listed = listed && curl::append(recipients, "<" + address + ">");
    }
    curl::Easy easy = curl::newEasy();
    curl::Mime mime = easy ? composeBody(easy.get(), contents) : nullptr;
    char errorText[CURL_ERROR_SIZE] = {};
    curl_socket_t socket = CURL_SOCKET_BAD;
    if (!listed || !mime
        || !configureSend(easy.get(), { url, errorText, headers.get(), recipients.get(), mime.get(), &socket })) {
        return false;
    }
    // libcurl turns any refusal into an error, a 5xx after the data included.
    const CURLcode code = curl_easy_perform(easy.get());
    if (code == CURLE_OPERATION_TIMEDOUT) {
        abandon(socket);
    }
    if (code != CURLE_OK) {
        return false;
    }
    return true;
}

bool CSmtp::configureSend(CURL* curl, const Transfer& transfer) const
{
    bool ok = curl::setCommon(curl, transfer.url, "smtp", transfer.errorText, m_timeout);
    const auto set = [&ok](CURLcode code) { ok = ok && code == CURLE_OK; };
    // Mail goes straight to the server; a proxy set for the web would not carry SMTP.
    set(curl_easy_setopt(curl, CURLOPT_PROXY, ""));
    set(curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_NONE)));
    set(curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, wholeSeconds(m_timeout)));
    // A server that stops reading in the middle of the data leaves no reply to wait for; a
    // transfer that stands still for the time-out ends just the same.
    set(curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L));
    set(curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, wholeSeconds(m_timeout)));
    const std::string sender = "<" + m_message->senderAddress() + ">";
    set(curl_easy_setopt(curl, CURLOPT_MAIL_FROM, sender.c_str()));
    set(curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, transfer.recipients));
    set(curl_easy_setopt(curl, CURLOPT_HTTPHEADER, transfer.headers));
    set(curl_easy_setopt(curl, CURLOPT_MIMEPOST, transfer.mime));
    set(curl_easy_setopt(curl, CURLOPT_SOCKOPTFUNCTION, &rememberSocket));
    set(curl_easy_setopt(curl, CURLOPT_SOCKOPTDATA, transfer.socket));
    return ok;
}

// multipart/mixed: the text, then each file base64-encoded under its own name. libcurl adds
// MIME-Version, the boundaries and the content headers.
curl::Mime CSmtp::composeBody(CURL* curl, const std::vector<std::string>& contents)
{
    curl::Mime mime(curl_mime_init(curl));
    curl_mimepart* text = mime ? curl_mime_addpart(mime.get()) : nullptr;
    if (!text) {
        return nullptr;
    }
    bool ok = curl_mime_data(text, m_message->body().data(), m_message->body().size()) == CURLE_OK;
    ok = ok && curl_mime_type(text, "text/plain; charset=UTF-8") == CURLE_OK;
    ok = ok && curl_mime_encoder(text, "quoted-printable") == CURLE_OK;
    for (size_t i = 0; ok && i < contents.size(); ++i) {
        curl_mimepart* file = curl_mime_addpart(mime.get());
        curl::Slist disposition;
        ok = file && curl_mime_data(file, contents[i].data(), contents[i].size()) == CURLE_OK
            && curl_mime_type(file, "application/octet-stream") == CURLE_OK
            && curl_mime_encoder(file, "base64") == CURLE_OK
            && curl::append(disposition,
                "Content-Disposition: " + mail::attachmentDisposition(platform::fileName(m_message->attachments()[i])))
            && curl_mime_headers(file, disposition.release(), 1) == CURLE_OK;
    }
    return ok ? std::move(mime) : nullptr;
}

bool CSmtp::connect()
{
    disconnect();
    m_reply.clear();
    m_remoteAddress.clear();
    // libcurl's smtp scheme would read the greeting itself and answer it with EHLO. A bare
    // connection lets the test read the greeting as it comes and say nothing but QUIT: the http
    // scheme adds nothing to plain TCP, and with CONNECT_ONLY no request is ever made.
    const std::string url = curl::serverUrl("http", m_remoteHost, kSmtpPort);
    if (url.empty()) {
        return false;
    }
    curl::Easy easy = curl::newEasy();
    char errorText[CURL_ERROR_SIZE] = {};
    bool ok = easy && curl::setCommon(easy.get(), url, "http", errorText, m_timeout);
    ok = ok && curl_easy_setopt(easy.get(), CURLOPT_PROXY, "") == CURLE_OK;
    ok = ok && curl_easy_setopt(easy.get(), CURLOPT_CONNECT_ONLY, 1L) == CURLE_OK;
    if (!ok) {
        return false;
    }
    const CURLcode code = curl_easy_perform(easy.get());
    // The handle lives on in m_connection; its error buffer must not point into this frame.
    curl_easy_setopt(easy.get(), CURLOPT_ERRORBUFFER, nullptr);
    if (code != CURLE_OK) {
        return false;
    }
    char* address = nullptr;
    if (curl_easy_getinfo(easy.get(), CURLINFO_PRIMARY_IP, &address) == CURLE_OK && address) {
        m_remoteAddress = address;
    }
    m_connection = std::move(easy);
    std::string greeting;
    const int status = readReply(greeting);
    if (status != 220) {
        // A server that refused service still gets its QUIT; a silent one is just left.
        if (status < 0) {
            m_connection.reset();
        }
        disconnect();
        m_remoteAddress.clear();
        return false;
    }
    m_reply = std::move(greeting);
    return true;
}

void CSmtp::disconnect()
{
    if (!m_connection) {
        return;
    }
    // Waiting for the 221 lets the server close first, as SMTP expects; its answer changes nothing.
    std::string ignored;
    if (sendLine("QUIT\r\n")) {
        readReply(ignored);
    }
    m_connection.reset();
}

bool CSmtp::waitForSocket(bool forWriting)
{
    curl_socket_t socket = CURL_SOCKET_BAD;
    if (curl_easy_getinfo(m_connection.get(), CURLINFO_ACTIVESOCKET, &socket) != CURLE_OK
        || socket == CURL_SOCKET_BAD) {
        return false;
    }
    pollfd entry {};
    entry.fd = socket;
    entry.events = forWriting ? POLLOUT : POLLIN;
    return poll(&entry, 1, static_cast<int>(m_timeout.count())) > 0;
}

bool CSmtp::sendLine(const std::string& line)
{
    size_t sent = 0;
    while (sent < line.size()) {
        size_t count = 0;
        const CURLcode code = curl_easy_send(m_connection.get(), line.data() + sent, line.size() - sent, &count);
        if (code == CURLE_AGAIN) {
            if (!waitForSocket(true)) {
                return false;
            }
            continue;
        }
        if (code != CURLE_OK) {
            return false;
        }
        sent += count;
    }
    return true;
}

// One reply: lines "ddd-text" up to the last "ddd text". Returns its code, or -1 when none came
// within the time-out per wait, the connection closed first, or the peer does not speak SMTP.
int CSmtp::readReply(std::string& reply)
{
    reply.clear();
    std::string pending;
    size_t received = 0;
    for (;;) {
        for (size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (!isReplyLine(line)) {
                return -1;
            }
            reply += (reply.empty() ? "" : "\n") + line;
            if (line.size() == 3 || line[3] == ' ') {
                return std::stoi(line.substr(0, 3));
            }
        }
        char buffer[1024];
        size_t count = 0;
        const CURLcode code = curl_easy_recv(m_connection.get(), buffer, sizeof buffer, &count);
        if (code == CURLE_AGAIN) {
            if (!waitForSocket(false)) {
                return -1;
            }
            continue;
        }
        received += count;
        if (code != CURLE_OK || count == 0 || received > kMaxReply) {
            return -1;
        }
        pending.append(buffer, count);
    }
}

} // namespace transfer
