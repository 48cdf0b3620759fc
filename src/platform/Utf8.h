#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// What a malformed UTF-8 sequence decodes to.
inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Decodes the character at text[pos] and moves pos past it. Overlong forms, surrogates and
// values above U+10FFFF give kReplacementCharacter and consume only the bad sequence's first
// byte, so decoding always moves on. pos must lie inside text.
char32_t decodeUtf8(std::string_view text, std::size_t& pos);

// Appends the character as UTF-8.
void appendUtf8(std::string& out, char32_t character);

} // namespace platform
