#include "transfer/SENDMAIL.h"

#include "transfer/CEmail.h"
#include "transfer/MYSMTP.h"

namespace transfer {

bool SENDMAIL(const std::string& server, const std::string& subject, const std::string& recipients,
    const std::string& carbonCopies, const std::string& body, const std::string& senderAddress,
    const std::vector<std::string>* files, const std::string& senderName)
{
    CEmail message;
    if (files) {
        for (const std::string& path : *files) {
            message.addAttachment(path);
        }
    }
    message.setBody(body);
    message.setRecipients(recipients);
    message.setCarbonCopies(carbonCopies);
    message.setSubject(subject);
    message.setSenderAddress(senderAddress);
    message.setSenderName(senderName);

    MYSMTP client(&message, server);
    client.setTimeout(std::chrono::milliseconds(5000));
    return client.sendMail();
}

} // namespace transfer
