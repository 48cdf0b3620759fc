#include "orderinfo/Windows1252.h"

#include "platform/Utf8.h"

#include <array>

namespace orderinfo {

namespace {

// Bytes 80..9F; the rest of the code page is ISO-8859-1, byte and character alike.
// clang-format off
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
// clang-format on

std::optional<unsigned char> windows1252Byte(char32_t character)
{
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
        return static_cast<unsigned char>(character);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == character) {
            return static_cast<unsigned char>(0x80 + i);
        }
    }
    return std::nullopt;
}

} // namespace

char32_t windows1252Character(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
}

std::string windows1252ToUtf8(std::string_view bytes)
{
    std::string utf8;
    utf8.reserve(bytes.size());
    for (const char c : bytes) {
        platform::appendUtf8(utf8, windows1252Character(static_cast<unsigned char>(c)));
    }
    return utf8;
}

std::optional<std::string> utf8ToWindows1252(std::string_view utf8, std::string* refused)
{
    std::string bytes;
    bytes.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t character = platform::decodeUtf8(utf8, pos);
        const std::optional<unsigned char> byte
            = character == platform::kReplacementCharacter ? std::nullopt : windows1252Byte(character);
        if (!byte) {
            if (refused != nullptr) {
                refused->clear();
                platform::appendUtf8(*refused, character);
            }
            return std::nullopt;
        }
        bytes.push_back(static_cast<char>(*byte));
    }
    return bytes;
}

} // namespace orderinfo
