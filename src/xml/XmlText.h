#pragma once

#include <string>
#include <string_view>

namespace xml {

// The text with '&', '<' and '>' written as entity references, and '"' as well when
// escapeQuotes is set (for attribute values). Other bytes pass unchanged.
std::string escapeXml(std::string_view text, bool escapeQuotes = false);

// UTF-8 text as ISO-8859-1 bytes: characters up to U+00FF become their single byte, every other
// character a decimal character reference "&#N;". A malformed UTF-8 sequence counts as U+FFFD,
// so the result is always well-formed in a Latin-1 document.
std::string utf8ToLatin1WithReferences(std::string_view utf8);

} // namespace xml
