#pragma once

#include <string>
#include <string_view>

namespace config {

// The cipher that keeps the webshop password out of config.xml in plain. It is symmetric and
// length-preserving, keyed with a fixed text, and its own inverse: apply(apply(x)) == x. It
// hides the password from a glance at the file, nothing more; the file itself is user-only.
// Changing the keystream makes every saved password unreadable, so it is fixed for good.
class PasswordCipher
{
public:
    // The bytes enciphered, or deciphered: the same operation.
    static std::string apply(std::string_view bytes);

    // The password enciphered, as upper-case hexadecimal digits, two per byte.
    static std::string encipherToHex(std::string_view password);

    // The password from its hexadecimal form. Digits of either case are read pair by pair up to
    // the first pair that is not two digits; an odd digit at the end is ignored.
    static std::string decipherFromHex(std::string_view hex);

    static std::string toHex(std::string_view bytes);
    static std::string fromHex(std::string_view hex);
};

} // namespace config
