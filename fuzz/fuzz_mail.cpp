// The header texts of an outgoing e-mail, made from settings and file names as typed: every
// line must stay 7-bit, unbroken and within the line limit, and a name or subject must read back
// as typed.
#include "transfer/CEmail.h"
#include "transfer/MailHeaders.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

void checkHeader(std::string_view header)
{
    bool first = true;
    while (true) {
        const size_t end = header.find("\r\n");
        const std::string_view line = header.substr(0, end);
        check(line.size() <= 998 && !line.empty() && (first || line.front() == ' '));
        for (const unsigned char c : line) {
            check(c >= 0x20 && c < 0x7F);
        }
        if (end == std::string_view::npos) {
            return;
        }
        header.remove_prefix(end + 2);
        first = false;
    }
}

std::string base64Decoded(std::string_view text)
{
    static constexpr std::string_view kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned value = 0;
    int bits = 0;
    for (const char c : text) {
        const size_t digit = kDigits.find(c);
        if (digit == std::string_view::npos) {
            break;
        }
        value = (value << 6) | static_cast<unsigned>(digit);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((value >> bits) & 0xFF));
        }
    }
    return out;
}

// What a reader makes of a phrase or text: encoded words joined, a quoted phrase unquoted.
std::string readBack(std::string_view shown, bool isPhrase)
{
    if (shown.rfind("=?UTF-8?B?", 0) == 0) {
        std::string out;
        for (size_t start = shown.find("=?UTF-8?B?"); start != std::string_view::npos;
             start = shown.find("=?UTF-8?B?", start + 1)) {
            const size_t end = shown.find("?=", start + 10);
            out += base64Decoded(shown.substr(start + 10, end - start - 10));
        }
        return out;
    }
    if (isPhrase && shown.size() >= 2 && shown.front() == '"') {
        std::string out;
        for (size_t i = 1; i + 1 < shown.size(); ++i) {
            i += shown[i] == '\\';
            out.push_back(shown[i]);
        }
        return out;
    }
    return std::string(shown);
}

std::string withoutControls(std::string text)
{
    for (char& c : text) {
        c = static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Names, subjects and file names are short; a few kilobytes reach every branch and the
    // folding of long texts.
    if (size > 8 * 1024) {
        return 0;
    }
    std::vector<std::string> fields(5);
    size_t field = 0;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0 && field + 1 < fields.size()) {
            ++field;
        } else {
            fields[field].push_back(static_cast<char>(data[i]));
        }
    }
    const std::string& name = fields[0];
    const std::string& subject = fields[1];

    transfer::CEmail message;
    message.setSenderName(name);
    message.setSubject(subject);
    message.setSenderAddress(fields[3]);
    message.setRecipients(fields[4]);
    message.setCarbonCopies(fields[3]);
    const bool usable = message.hasUsableAddresses();
    for (const std::string& address : message.envelopeRecipients()) {
        check(!address.empty() && address.find_first_of(",;") == std::string::npos);
        check(address.front() != ' ' && address.back() != ' ');
        check(!usable || transfer::mail::isAddress(address));
    }
    if (usable) {
        for (const std::string& header : message.headerLines(0, transfer::mail::newMessageId(fields[3]))) {
            checkHeader(header);
        }
    }
    checkHeader("Content-Disposition: " + transfer::mail::attachmentDisposition(fields[2]));
    checkHeader("Subject: " + transfer::mail::text(subject));
    const std::string phrase = transfer::mail::phrase(name);
    checkHeader("From: " + phrase);
    check(readBack(phrase, true) == withoutControls(name));
    check(readBack(transfer::mail::text(subject), false) == withoutControls(subject));
    return 0;
}
