#include "convert/TextRules.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace convert {

std::string_view trimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string trimmed(std::string_view text)
{
    return std::string(trimBlanks(text));
}

bool isBlankText(std::string_view text)
{
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

std::string_view charactersAt(std::string_view text, std::size_t position, std::size_t count)
{
    // Position 0 does not exist; it reads like position 1, as a 1-based substring would.
    const std::size_t start = position == 0 ? 0 : position - 1;
    if (start >= text.size()) {
        return {};
    }
    return text.substr(start, count);
}

std::string rightAligned(std::string_view text, std::size_t width)
{
    if (text.size() >= width) {
        return std::string(text.substr(0, width));
    }
    std::string result(width - text.size(), ' ');
    result.append(text);
    return result;
}

std::string leftAligned(std::string_view text, std::size_t width)
{
    if (text.size() >= width) {
        return std::string(text.substr(0, width));
    }
    std::string result(text);
    result.append(width - text.size(), ' ');
    return result;
}

std::string Quantity::text(char separator) const
{
    std::string result;
    result.reserve(integerDigits.size() + fractionDigits.size() + 2);
    const bool isZero = integerDigits.empty() && fractionDigits.find_first_not_of('0') == std::string::npos;
    if (negative && !isZero) {
        result.push_back('-');
    }
    if (integerDigits.empty()) {
        result.push_back('0');
    } else {
        result.append(integerDigits);
    }
    if (!fractionDigits.empty()) {
        result.push_back(separator);
        result.append(fractionDigits);
    }
    return result;
}

Quantity Quantity::whole(double value)
{
    Quantity result;
    if (!std::isfinite(value)) {
        return result;
    }
    value = std::trunc(value);
    result.value = value == 0 ? 0.0 : value;
    result.negative = value < 0;
    // Fixed notation with no decimals: a double has at most 309 integer digits.
    char buffer[320];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed, 0);
    if (written.ec == std::errc()) {
        std::string_view digits(buffer, static_cast<std::size_t>(written.ptr - buffer));
        if (digits != "0") {
            result.integerDigits = digits;
        }
    }
    return result;
}

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The value of the digits as written; from_chars is exact to the nearest double.
double valueOf(const std::string& integerDigits, const std::string& fractionDigits)
{
    // The quantities of an order are short: up to 15 digits the integer they make and the power of
    // ten it is divided by are both exact doubles, and one division rounds as from_chars does.
    constexpr double kPowersOfTen[]
        = { 1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15 };
    if (integerDigits.size() + fractionDigits.size() <= 15) {
        std::uint64_t digits = 0;
        for (const char c : integerDigits) {
            digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
        }
        for (const char c : fractionDigits) {
            digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
        }
        return static_cast<double>(digits) / kPowersOfTen[fractionDigits.size()];
    }
    std::string text = integerDigits.empty() ? std::string("0") : integerDigits;
    if (!fractionDigits.empty()) {
        text.push_back('.');
        text.append(fractionDigits);
    }
    double value = 0;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    if (parsed.ec == std::errc::result_out_of_range) {
        return HUGE_VAL;
    }
    return value;
}

} // namespace

Quantity parseQuantity(std::string_view text, char separator)
{
    Quantity result;
    std::size_t at = 0;
    while (at < text.size() && text[at] == ' ') {
        ++at;
    }
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
        result.negative = text[at] == '-';
        ++at;
    }
    bool inFraction = false;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (isDigit(c)) {
            if (inFraction) {
                result.fractionDigits.push_back(c);
            } else if (c != '0' || !result.integerDigits.empty()) {
                result.integerDigits.push_back(c);
            }
        } else if (c == separator && !inFraction) {
            inFraction = true;
        } else {
            break;
        }
    }
    const double magnitude = valueOf(result.integerDigits, result.fractionDigits);
    result.value = result.negative ? -magnitude : magnitude;
    return result;
}

} // namespace convert
