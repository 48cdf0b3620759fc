#include "convert/TextRules.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

using namespace convert;

TEST(Quantity, KeepsTheDecimalsTheSourceWrote)
{
    struct Case
    {
        const char* text;
        char separator;
        const char* written;
        double value;
    };
    // clang-format off
    const Case cases[] = {
        {"00012", ',', "12", 12},       {"  2,50x", ',', "2,50", 2.5},   {"2.5", ',', "2", 2},
        {"2.5", '.', "2.5", 2.5},       {"2,5", '.', "2", 2},            {"-3,25", ',', "-3,25", -3.25},
        {"+007,10", ',', "7,10", 7.1},  {"abc", ',', "0", 0},            {"", ',', "0", 0},
        {"12,", ',', "12", 12},         {",5", ',', "0,5", 0.5},         {"1,2,3", ',', "1,2", 1.2},
        {"- 5", ',', "0", 0},           {"-0,00", ',', "0,00", 0},       {"\t5", ',', "0", 0},
        {"1 000", ',', "1", 1},         {"0,000", ',', "0,000", 0},      {"1e5", ',', "1", 1},
        {"123456789012345678901234", ',', "123456789012345678901234", 1.2345678901234568e23},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Quantity quantity = parseQuantity(c.text, c.separator);
        EXPECT_EQ(quantity.text(c.separator), c.written);
        EXPECT_DOUBLE_EQ(quantity.value, c.value);
    }
}

TEST(Quantity, ValueIsTheNearestDoubleOfTheDigitsWritten)
{
    // The metre conversion divides this value; one unit in the last place can make an extra pipe.
    std::mt19937 random(14);
    for (int i = 0; i < 20000; ++i) {
        const std::size_t digits = 1 + random() % 18;
        std::string text;
        for (std::size_t d = 0; d < digits; ++d) {
            text.push_back(static_cast<char>('0' + random() % 10));
        }
        text.insert(random() % (digits + 1), ".");
        SCOPED_TRACE(text);
        EXPECT_EQ(parseQuantity(text, '.').value, std::strtod(text.c_str(), nullptr));
    }
}

TEST(Quantity, WholeNumbersHaveNoDecimals)
{
    EXPECT_EQ(Quantity::whole(3).text(','), "3");
    EXPECT_EQ(Quantity::whole(0).text(','), "0");
    EXPECT_EQ(Quantity::whole(-0.0).text(','), "0");
    EXPECT_EQ(Quantity::whole(-2).text(','), "-2");
    EXPECT_EQ(Quantity::whole(1e20).text(','), "100000000000000000000");
}

TEST(TextRules, TrimsOnlyBlanksButCountsControlWhitespaceAsEmpty)
{
    EXPECT_EQ(trimBlanks("  a b  "), "a b");
    EXPECT_EQ(trimBlanks("\ta\t"), "\ta\t");
    EXPECT_EQ(trimBlanks("    "), "");
    EXPECT_TRUE(isBlankText(""));
    EXPECT_TRUE(isBlankText(" \t\r\n"));
    EXPECT_FALSE(isBlankText(" x "));
    EXPECT_FALSE(isBlankText("-  -"));
}

TEST(TextRules, CutsAndAlignsFields)
{
    EXPECT_EQ(charactersAt("abcdef", 2, 3), "bcd");
    EXPECT_EQ(charactersAt("abcdef", 5, 10), "ef");
    EXPECT_EQ(charactersAt("abc", 4, 2), "");
    EXPECT_EQ(charactersAt("abc", 0, 2), "ab");
    EXPECT_EQ(rightAligned("123", 8), "     123");
    EXPECT_EQ(rightAligned("123456789", 8), "12345678");
    EXPECT_EQ(leftAligned("123", 8), "123     ");
    EXPECT_EQ(leftAligned("123456789", 8), "12345678");
}
