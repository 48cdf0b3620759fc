#pragma once

#include "transfer/CurlEasy.h"

#include <chrono>
#include <string>
#include <vector>

namespace transfer {

class CEmail;

// SMTP client on libcurl for one message or one connection test. Plain SMTP without
// authentication, port 25 unless the remote host says host:port, straight to the server (no
// proxy). Every network wait (connecting, each server reply, a stalled transfer) is bounded by
// the time-out.
class CSmtp
{
public:
    // message may be null for a connection test; it must outlive the client.
    explicit CSmtp(const CEmail* message = nullptr, std::string remoteHost = {});
    virtual ~CSmtp();
    CSmtp(const CSmtp&) = delete;
    CSmtp& operator=(const CSmtp&) = delete;

    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    // host or host:port, as typed.
    void setRemoteHost(std::string remoteHost) { m_remoteHost = std::move(remoteHost); }

    // Sends the message in one session of its own: every attachment is read first (an unreadable
    // one fails the send before anything goes out), then sender, recipients and the MIME
    // message. True only when the server accepted the message after its data.
    bool sendMail();

    // Connects to the remote host and reads its greeting without saying anything itself. True
    // when the server greeted with 220; reply() then holds the greeting and remoteAddress() the
    // server's numeric address.
    bool connect();
    // Ends a connection made by connect() politely (QUIT) and closes it; nothing when none is open.
    void disconnect();

    // The greeting read by connect(), its lines without line ends joined by LF.
    const std::string& reply() const { return m_reply; }
    const std::string& remoteAddress() const { return m_remoteAddress; }

private:
    struct Transfer;
    bool readAttachments(std::vector<std::string>& contents);
    bool transmit(const std::string& url, const std::vector<std::string>& contents);
    bool configureSend(CURL* curl, const Transfer& transfer) const;
    curl::Mime composeBody(CURL* curl, const std::vector<std::string>& contents);
    bool waitForSocket(bool forWriting);
    int readReply(std::string& reply);
    bool sendLine(const std::string& line);

    const CEmail* m_message;
    std::string m_remoteHost;
    std::chrono::milliseconds m_timeout { 5000 };
    curl::Easy m_connection; // open between connect() and disconnect()
    std::string m_reply;
    std::string m_remoteAddress;
};

} // namespace transfer
