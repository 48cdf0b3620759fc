#pragma once

#include <string>
#include <string_view>

namespace convert {

// The text and number rules every reader shares.

// The text without blanks (the space character only) at either end.
std::string_view trimBlanks(std::string_view text);
std::string trimmed(std::string_view text);

// True when the text has no characters or only blanks, TAB, CR and LF.
bool isBlankText(std::string_view text);

// At most count characters from the 1-based position; empty when the text ends before it.
std::string_view charactersAt(std::string_view text, std::size_t position, std::size_t count);

// Right-aligned in width characters: blanks on the left, or cut to its first width characters.
std::string rightAligned(std::string_view text, std::size_t width);
// Left-aligned in width characters: blanks on the right, or cut to its first width characters.
std::string leftAligned(std::string_view text, std::size_t width);

// A quantity: its value for arithmetic and its digits as the source wrote them, so the text
// written back keeps the source's count of decimals.
struct Quantity
{
    double value = 0;
    bool negative = false;
    std::string integerDigits; // without leading zeros; empty for 0
    std::string fractionDigits; // as written, trailing zeros kept

    // The quantity as text: sign, digits, and separator only when there are decimals.
    std::string text(char separator) const;

    // A whole number (a converted quantity), written without decimals.
    static Quantity whole(double value);
};

// The leading number of the text: blanks skipped, an optional sign, digits with at most one
// decimal separator; stops at the first other character. Text without a number gives 0.
Quantity parseQuantity(std::string_view text, char separator);

// Decimal separators: the comma everywhere, the point in the ICM run.
inline constexpr char kCommaSeparator = ',';
inline constexpr char kPointSeparator = '.';

} // namespace convert
