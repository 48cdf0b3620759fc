#pragma once

#include <string>
#include <vector>

namespace transfer {

// Sends one e-mail over SMTP to server (host or host:port, port 25 by default): from
// senderName <senderAddress> to the recipients and carbon copies (addresses separated by commas
// or semicolons), with the subject, the plain text body and each file of files attached under
// its own name (none when files is null). Each network wait is bounded by 5 seconds. True only
// when the server accepted the message; every failure, an unreadable file included, is false.
bool SENDMAIL(const std::string& server, const std::string& subject, const std::string& recipients,
    const std::string& carbonCopies, const std::string& body, const std::string& senderAddress,
    const std::vector<std::string>* files, const std::string& senderName);

} // namespace transfer
