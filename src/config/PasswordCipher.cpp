#include "config/PasswordCipher.h"

#include <cstdint>

namespace config {

namespace {

constexpr std::string_view kKey = "QUELM HARDWIX B.K.";

std::uint32_t keySeed()
{
    // FNV-1a over the key.
    std::uint32_t hash = 2166136261u;
    for (const char c : kKey) {
        hash = (hash ^ static_cast<std::uint8_t>(c)) * 16777619u;
    }
    return hash;
}

// One keystream byte per position, mixing the position with the key byte under it so that
// equal password bytes at different places encipher differently. XOR with it makes the
// cipher its own inverse.
std::uint8_t keystream(std::uint32_t seed, size_t position)
{
    std::uint32_t x = seed ^ (static_cast<std::uint32_t>(position) * 0x9E3779B1u)
        ^ (static_cast<std::uint32_t>(static_cast<std::uint8_t>(kKey[position % kKey.size()])) * 0x85EBCA77u);
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return static_cast<std::uint8_t>(x);
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

} // namespace

std::string PasswordCipher::apply(std::string_view bytes)
{
    const std::uint32_t seed = keySeed();
    std::string result(bytes);
    for (size_t i = 0; i < result.size(); ++i) {
        result[i] = static_cast<char>(static_cast<std::uint8_t>(result[i]) ^ keystream(seed, i));
    }
    return result;
}

std::string PasswordCipher::toHex(std::string_view bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<std::uint8_t>(c);
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0F];
    }
    return hex;
}

std::string PasswordCipher::fromHex(std::string_view hex)
{
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        const int high = hexValue(hex[i]);
        const int low = hexValue(hex[i + 1]);
        if (high < 0 || low < 0) {
            break;
        }
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

std::string PasswordCipher::encipherToHex(std::string_view password)
{
    return toHex(apply(password));
}

std::string PasswordCipher::decipherFromHex(std::string_view hex)
{
    return apply(fromHex(hex));
}

} // namespace config
