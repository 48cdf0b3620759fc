#include "transfer/MailHeaders.h"

#include "platform/Clock.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <random>

namespace transfer::mail {

namespace {

// Past this a plain name or subject is written as encoded words, which can be folded; a plain
// text cannot be folded where it has no spaces and would break the 998-character line limit.
constexpr size_t kMaxPlain = 200;
// An encoded word is at most 75 characters: "=?UTF-8?B?" and "?=" around 60 base64
// characters, which carry 45 bytes.
constexpr size_t kWordBytes = 45;
// Readers join the encoded words of a display name with spaces the name never had (Python's
// email package among them), so a name goes as one longer word, which they all read, up to
// what still fits a line.
constexpr size_t kPhraseWordBytes = 675;
// Characters of an extended parameter value per continuation.
constexpr size_t kParameterPiece = 60;

bool isPrintable(unsigned char c)
{
    return c >= 0x20 && c < 0x7F;
}

bool isPlainText(std::string_view text)
{
    return text.size() <= kMaxPlain && std::all_of(text.begin(), text.end(), isPrintable)
        && text.find("=?") == std::string_view::npos;
}

std::string base64(std::string_view bytes)
{
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t n = std::min<size_t>(3, bytes.size() - i);
        unsigned value = 0;
        for (size_t k = 0; k < 3; ++k) {
            value = value << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        }
        for (size_t k = 0; k < 4; ++k) {
            out.push_back(k <= n ? kDigits[(value >> (18 - 6 * k)) & 0x3F] : '=');
        }
    }
    return out;
}

// Encoded words never split a UTF-8 sequence: a reader decodes each word on its own.
size_t wordEnd(std::string_view text, size_t start, size_t wordBytes)
{
    size_t end = std::min(text.size(), start + wordBytes);
    for (int back = 0;
         back < 3 && end < text.size() && end > start + 1 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80;
         ++back) {
        --end;
    }
    return end;
}

std::string encodedWords(std::string_view text, size_t wordBytes)
{
    std::string out;
    for (size_t start = 0; start < text.size();) {
        const size_t end = wordEnd(text, start, wordBytes);
        if (!out.empty()) {
            out += "\r\n ";
        }
        out += "=?UTF-8?B?" + base64(text.substr(start, end - start)) + "?=";
        start = end;
    }
    return out;
}

bool isAttributeChar(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
        || std::string_view("!#$&+-.^_`|~").find(static_cast<char>(c)) != std::string_view::npos;
}

std::string percentEncoded(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : text) {
        if (isAttributeChar(c)) {
            out.push_back(static_cast<char>(c));
        } else {
            out += { '%', kHex[c >> 4], kHex[c & 0xF] };
        }
    }
    return out;
}

std::string quoted(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out.push_back('\\');
        }
        out.push_back(c);
    }
    return out + "\"";
}

std::string_view trimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A line break or tab in a name or subject can only be a slip of the keyboard, and mail
// programs refuse a name that holds one even when it arrives encoded.
std::string withoutControls(std::string_view text)
{
    std::string out(text);
    std::replace_if(
        out.begin(), out.end(), [](unsigned char c) { return c < 0x20 || c == 0x7F; }, ' ');
    return out;
}

} // namespace

std::string date(std::time_t t)
{
    static constexpr std::array<const char*, 7> kDays = { "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat" };
    static constexpr std::array<const char*, 12> kMonths
        = { "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };
    // Whole days and the seconds of the last one; the platform's calendar does the rest.
    const long long seconds = static_cast<long long>(t);
    const long long days = seconds / 86400 - (seconds % 86400 < 0);
    const long long ofDay = seconds - days * 86400;
    const platform::Date day = platform::civilFromDays(static_cast<long>(days));
    char text[40];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d +0000", kDays[platform::weekday(day)], day.day,
        kMonths[day.month - 1], day.year, static_cast<int>(ofDay / 3600), static_cast<int>(ofDay / 60 % 60),
        static_cast<int>(ofDay % 60));
    return text;
}

std::string phrase(std::string_view typed)
{
    const std::string flat = withoutControls(typed);
    const std::string_view text = flat;
    if (!isPlainText(text)) {
        return encodedWords(text, kPhraseWordBytes);
    }
    // Specials of a phrase, and spaces at the ends or in a row, which a reader would fold away.
    const bool needsQuotes = text.find_first_of("()<>[]:;@\\,.\"") != std::string_view::npos
        || trimmed(text).size() != text.size() || text.find("  ") != std::string_view::npos;
    return needsQuotes ? quoted(text) : std::string(text);
}

std::string text(std::string_view typed)
{
    const std::string text = withoutControls(typed);
    return isPlainText(text) ? text : encodedWords(text, kWordBytes);
}

std::string attachmentDisposition(std::string_view fileName)
{
    const bool plain = isPlainText(fileName) && fileName.find_first_of("\"\\") == std::string_view::npos;
    if (plain) {
        return "attachment; filename=" + quoted(fileName);
    }
    const std::string value = "UTF-8''" + percentEncoded(fileName);
    if (value.size() <= kParameterPiece) {
        return "attachment;\r\n filename*=" + value;
    }
    std::string out = "attachment";
    size_t start = 0;
    for (int piece = 0; start < value.size(); ++piece) {
        size_t end = std::min(value.size(), start + kParameterPiece);
        // Never between a '%' and its two digits.
        if (end < value.size() && value[end - 1] == '%') {
            end -= 1;
        } else if (end < value.size() && end >= 2 && value[end - 2] == '%') {
            end -= 2;
        }
        out += ";\r\n filename*" + std::to_string(piece) + "*=" + value.substr(start, end - start);
        start = end;
    }
    return out;
}

bool isAddress(std::string_view address)
{
    const size_t at = address.rfind('@');
    if (address.size() > 254 || at == std::string_view::npos || at == 0 || at + 1 == address.size()) {
        return false;
    }
    return std::all_of(address.begin(), address.end(), [](unsigned char c) {
        return c > 0x20 && c < 0x7F
            && std::string_view("<>()[],;\"\\").find(static_cast<char>(c)) == std::string_view::npos;
    });
}

std::vector<std::string> addresses(std::string_view list)
{
    std::vector<std::string> out;
    while (!list.empty()) {
        const size_t end = list.find_first_of(",;");
        const std::string_view entry = trimmed(list.substr(0, end));
        if (!entry.empty()) {
            out.emplace_back(entry);
        }
        list = end == std::string_view::npos ? std::string_view() : list.substr(end + 1);
    }
    return out;
}

std::string mailbox(std::string_view name, std::string_view address)
{
    const std::string shown = phrase(name);
    if (shown.empty()) {
        return std::string(address);
    }
    // A long name ends its line; the address follows on the next.
    const char* gap = shown.size() + address.size() > 60 ? "\r\n <" : " <";
    return shown + gap + std::string(address) + ">";
}

std::string newMessageId(std::string_view senderAddress)
{
    std::string_view domain = senderAddress.substr(senderAddress.rfind('@') + 1);
    const bool plainHost
        = !domain.empty() && domain.size() <= 200 && std::all_of(domain.begin(), domain.end(), [](unsigned char c) {
              return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
          });
    if (!plainHost || senderAddress.find('@') == std::string_view::npos) {
        domain = "transvo.invalid";
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::random_device random;
    std::string unique;
    for (int i = 0; i < 4; ++i) {
        const unsigned value = random();
        for (int shift = 0; shift < 32; shift += 8) {
            const unsigned byte = (value >> shift) & 0xFF;
            unique += { kHex[byte >> 4], kHex[byte & 0xF] };
        }
    }
    return "<" + unique + "@" + std::string(domain) + ">";
}

} // namespace transfer::mail
