#include "transfer/CEmail.h"

#include "transfer/MailHeaders.h"

#include <algorithm>

namespace transfer {

namespace {

std::string joined(const std::vector<std::string>& addresses)
{
    std::string out;
    for (const std::string& address : addresses) {
        out += (out.empty() ? "" : ",\r\n ") + address;
    }
    return out;
}

} // namespace

std::vector<std::string> CEmail::envelopeRecipients() const
{
    std::vector<std::string> all = mail::addresses(m_recipients);
    const std::vector<std::string> copies = mail::addresses(m_carbonCopies);
    all.insert(all.end(), copies.begin(), copies.end());
    return all;
}

bool CEmail::hasUsableAddresses() const
{
    const std::vector<std::string> recipients = envelopeRecipients();
    return mail::isAddress(m_senderAddress) && !mail::addresses(m_recipients).empty()
        && std::all_of(recipients.begin(), recipients.end(), mail::isAddress);
}

std::vector<std::string> CEmail::headerLines(std::time_t date, const std::string& messageId) const
{
    std::vector<std::string> lines = {
        "Date: " + mail::date(date),
        "Message-ID: " + messageId,
        "From: " + mail::mailbox(m_senderName, m_senderAddress),
        "To: " + joined(mail::addresses(m_recipients)),
    };
    if (const auto copies = mail::addresses(m_carbonCopies); !copies.empty()) {
        lines.push_back("Cc: " + joined(copies));
    }
    lines.push_back("Subject: " + mail::text(m_subject));
    return lines;
}

} // namespace transfer
