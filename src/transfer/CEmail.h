#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace transfer {

// One e-mail message to send: sender, recipients, subject, a plain text body and files to
// attach. Address lists are texts of addresses separated by commas or semicolons; texts are
// UTF-8; attachment paths are file system paths as bytes.
class CEmail
{
public:
    void setBody(std::string body) { m_body = std::move(body); }
    void setRecipients(std::string list) { m_recipients = std::move(list); }
    void setCarbonCopies(std::string list) { m_carbonCopies = std::move(list); }
    void setSubject(std::string subject) { m_subject = std::move(subject); }
    void setSenderAddress(std::string address) { m_senderAddress = std::move(address); }
    void setSenderName(std::string name) { m_senderName = std::move(name); }
    // Attachments travel in the order they were added, each under its own file name.
    void addAttachment(std::string path) { m_attachments.push_back(std::move(path)); }

    const std::string& body() const { return m_body; }
    const std::string& subject() const { return m_subject; }
    const std::string& senderAddress() const { return m_senderAddress; }
    const std::string& senderName() const { return m_senderName; }
    const std::vector<std::string>& attachments() const { return m_attachments; }

    // Everyone the server is to deliver to: the recipients and the carbon copies.
    std::vector<std::string> envelopeRecipients() const;
    // True when the sender, every address and at least one recipient can be used as they are.
    bool hasUsableAddresses() const;
    // The message's own header lines, without the MIME ones: Date, Message-ID, From, To, Cc
    // when given, Subject.
    std::vector<std::string> headerLines(std::time_t date, const std::string& messageId) const;

private:
    std::string m_body;
    std::string m_recipients;
    std::string m_carbonCopies;
    std::string m_subject;
    std::string m_senderAddress;
    std::string m_senderName;
    std::vector<std::string> m_attachments;
};

} // namespace transfer
