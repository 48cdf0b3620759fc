#pragma once

#ifdef _WIN32

#include <string>

namespace platform {

// Paths and texts are UTF-8 in the program; Windows takes file names with characters outside
// the ANSI code page only through its wide-character calls. These convert at that edge.
std::wstring toWide(const std::string& utf8);
std::string fromWide(const wchar_t* text, std::size_t length);
std::string fromWide(const std::wstring& text);

} // namespace platform

#endif
