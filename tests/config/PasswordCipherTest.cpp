#include "config/PasswordCipher.h"

#include <gtest/gtest.h>

using config::PasswordCipher;

TEST(PasswordCipher, IsItsOwnInverseAndKeepsTheLength)
{
    std::string allBytes;
    for (int i = 0; i < 256; ++i) {
        allBytes += static_cast<char>(i);
    }
    const std::string cases[] = { "", "a", "geheim", "!@#$%^&*()_+-=[]{};':\",./<>?\\|`~", "w\xC3\xB6rd\xE2\x82\xAC",
        allBytes, std::string(1000, 'x') };
    for (const auto& plain : cases) {
        SCOPED_TRACE(plain);
        const std::string ciphered = PasswordCipher::apply(plain);
        EXPECT_EQ(ciphered.size(), plain.size());
        EXPECT_EQ(PasswordCipher::apply(ciphered), plain);
        EXPECT_EQ(PasswordCipher::decipherFromHex(PasswordCipher::encipherToHex(plain)), plain);
    }
}

TEST(PasswordCipher, HidesRepeatedCharacters)
{
    const std::string ciphered = PasswordCipher::apply(std::string(40, 'a'));
    EXPECT_EQ(ciphered.find("aa"), std::string::npos);
    EXPECT_NE(ciphered.substr(0, 18), ciphered.substr(18, 18)) << "not a repeating key";
}

// Saved passwords must stay readable by every later build: the keystream is part of the format.
TEST(PasswordCipher, KeepsItsKeystream)
{
    EXPECT_EQ(PasswordCipher::encipherToHex("Geheim!1"), "0ABC06FA2A3A2012");
}

TEST(PasswordCipher, ReadsHexPairByPair)
{
    const std::pair<std::string, std::string> cases[] = {
        { "00FFa0", std::string("\x00\xFF\xA0", 3) },
        { "414", "A" },
        { "41G142", "A" },
        { "", "" },
        { " 41", "" },
    };
    for (const auto& [hex, bytes] : cases) {
        SCOPED_TRACE(hex);
        EXPECT_EQ(PasswordCipher::fromHex(hex), bytes);
    }
    EXPECT_EQ(PasswordCipher::toHex(std::string("\x00\xAB\x7F", 3)), "00AB7F");
}
