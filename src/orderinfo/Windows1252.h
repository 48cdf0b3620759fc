#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orderinfo {

// orderkop.txt holds the Windows ANSI code page of a Western-European installation,
// Windows-1252, on every platform, so a file moves between machines unchanged.

// The character a Windows-1252 byte stands for. The five bytes the code page leaves unassigned
// (81, 8D, 8F, 90, 9D) stand for the C1 control of the same number, as Windows decodes them.
char32_t windows1252Character(unsigned char byte);

// Windows-1252 bytes as UTF-8.
std::string windows1252ToUtf8(std::string_view bytes);

// UTF-8 text as Windows-1252 bytes, or nothing when a character has no byte in the code page;
// *refused then holds the first such character as UTF-8. Malformed UTF-8 is refused as U+FFFD.
std::optional<std::string> utf8ToWindows1252(std::string_view utf8, std::string* refused = nullptr);

} // namespace orderinfo
