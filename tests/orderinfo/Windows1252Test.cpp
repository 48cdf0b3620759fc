#include "orderinfo/Windows1252.h"

#include <gtest/gtest.h>

using namespace orderinfo;

TEST(Windows1252, EveryByteSurvivesTheWayThroughUtf8)
{
    std::string bytes;
    for (int byte = 1; byte < 256; ++byte) {
        bytes.push_back(static_cast<char>(byte));
    }
    const std::string utf8 = windows1252ToUtf8(bytes);
    EXPECT_EQ(utf8.substr(0x7E, 4), "\x7F\xE2\x82\xAC") << "byte 80 is the euro sign";
    EXPECT_EQ(utf8ToWindows1252(utf8), bytes);
}

TEST(Windows1252, RefusesWhatTheCodePageCannotCarry)
{
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"\xC5\x81odz", "\xC5\x81"},           // Ł
        {"ab\xE2\x82\xAC\xE2\x80\x8B", "\xE2\x80\x8B"}, // the euro goes, a zero-width space does not
        {"a\xC3", "\xEF\xBF\xBD"},             // cut-off UTF-8
    };
    // clang-format on
    for (const auto& [text, refused] : cases) {
        SCOPED_TRACE(text);
        std::string character;
        EXPECT_FALSE(utf8ToWindows1252(text, &character));
        EXPECT_EQ(character, refused);
    }
    EXPECT_EQ(utf8ToWindows1252("Caf\xC3\xA9"), "Caf\xE9");
}
