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
    EXPECT_FALSE(utf8ToWindows1252("a\xC3")) << "cut-off UTF-8 is no character to keep";
}
