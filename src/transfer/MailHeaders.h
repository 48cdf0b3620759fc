#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

// The header texts of an outgoing e-mail. Whatever the settings hold, each result is printable
// US-ASCII without line ends, except for folds ("\r\n ") between encoded parts, and no line of
// it grows past the 998 characters a mail line may have; so a sender name or subject can neither
// smuggle in a header nor break the message.
namespace transfer::mail {

// t as a message date in UTC, "Tue, 08 Dec 2026 09:05:01 +0000".
std::string date(std::time_t t);

// A display name for From or To: as typed when that is plain, as a quoted string when it holds
// punctuation, else as a UTF-8 encoded word that mail programs turn back into the text (split
// into several only past some 675 bytes).
// Empty for an empty name.
std::string phrase(std::string_view text);

// Unstructured header text such as a subject: as typed when plain printable ASCII, else as
// UTF-8 encoded words. Here and in phrase() control characters become spaces.
std::string text(std::string_view text);

// "attachment; filename=..." for a file of that name; names that are not plain ASCII use the
// UTF-8 extended parameter, split into continuations when long.
std::string attachmentDisposition(std::string_view fileName);

// True when the address can go into a header and an SMTP command as it is: local part, "@" and
// domain, printable ASCII without spaces, brackets, quotes, commas or semicolons, at most 254
// characters.
bool isAddress(std::string_view address);

// The addresses of a list separated by commas or semicolons, trimmed, empty entries dropped.
std::vector<std::string> addresses(std::string_view list);

// "name <address>", or the address alone when there is no name.
std::string mailbox(std::string_view name, std::string_view address);

// A new unique message id "<random@domain>", the domain taken from the sender's address where
// it is a plain host name.
std::string newMessageId(std::string_view senderAddress);

} // namespace transfer::mail
