#pragma once

// The byte layout of a compound index, shared by the reader (CdxIndex.cpp) and the writer
// (CdxIndexBuild.cpp) so that both name each field at the same place. Numbers in pages and tag
// headers are little-endian; interior entries hold theirs big-endian, as the format has it.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace lengths::cdx {

constexpr std::uint32_t kPageSize = 512;
constexpr std::uint32_t kTagHeaderSize = 1024;
constexpr std::uint32_t kNone = 0xFFFFFFFFu;
constexpr std::uint16_t kMaxKeyLength = 240;
constexpr std::uint16_t kDirectoryKeyLength = 10;
// A B-tree over 2^32 records is at most a few dozen levels deep; more means a cycle.
constexpr int kMaxDepth = 32;

// Every page begins with its type, entry count and siblings.
constexpr std::uint32_t kPageType = 0; // 2 bytes, kRootBit | kLeafBit
constexpr std::uint32_t kPageCount = 2; // 2 bytes
constexpr std::uint32_t kPageLeft = 4; // 4 bytes
constexpr std::uint32_t kPageRight = 8; // 4 bytes
constexpr std::uint16_t kRootBit = 0x01;
constexpr std::uint16_t kLeafBit = 0x02;

// An interior page: the header, then entries of key, record number and child page.
constexpr std::uint32_t kNodeHeaderSize = 12;

// A leaf page: how its compressed entries are cut into record number, duplicate count and
// trailing count, then the entries from the front and the key bytes from the back.
constexpr std::uint32_t kLeafFreeBytes = 12; // 2 bytes
constexpr std::uint32_t kLeafRecordMask = 14; // 4 bytes
constexpr std::uint32_t kLeafDuplicateMask = 18;
constexpr std::uint32_t kLeafTrailingMask = 19;
constexpr std::uint32_t kLeafRecordBits = 20;
constexpr std::uint32_t kLeafDuplicateBits = 21;
constexpr std::uint32_t kLeafTrailingBits = 22;
constexpr std::uint32_t kLeafEntryWidth = 23;
constexpr std::uint32_t kLeafHeaderSize = 24;

// A tag header; the file header is one too, for the tag directory.
constexpr std::uint32_t kTagRoot = 0; // 4 bytes
constexpr std::uint32_t kTagKeyLength = 12; // 2 bytes
constexpr std::uint32_t kTagOptions = 14;
constexpr std::uint32_t kTagSignature = 15;
constexpr std::uint32_t kTagHeaderLength = 16; // 2 bytes
constexpr std::uint32_t kTagPageLength = 18; // 2 bytes
constexpr std::uint32_t kTagLengthsMark = 20; // "RCHB" when the two lengths above are set
constexpr std::uint32_t kTagDescending = 502; // 2 bytes
constexpr std::uint32_t kTagFilterPosition = 504; // 2 bytes
constexpr std::uint32_t kTagFilterLength = 506; // 2 bytes
constexpr std::uint32_t kTagKeyPosition = 508; // 2 bytes, in the pool
constexpr std::uint32_t kTagKeyLengthInPool = 510; // 2 bytes
constexpr std::uint32_t kTagPool = 512; // the key and filter expressions

constexpr std::uint8_t kOptionUnique = 0x01;
constexpr std::uint8_t kOptionFilter = 0x08;
constexpr std::uint8_t kOptionCompact = 0x20;
constexpr std::uint8_t kOptionCompound = 0x40;
constexpr std::uint8_t kOptionStructure = 0x80;
constexpr std::uint8_t kSignature = 0x01;

inline std::uint32_t le(const std::string& bytes, std::size_t at, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

inline std::uint32_t be32(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

inline void putLe(std::string& bytes, std::size_t at, std::uint64_t value, int size)
{
    for (int i = 0; i < size; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

inline void putBe32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * (3 - i))) & 0xFF);
    }
}

// Tag names are compared in upper case without trailing blanks; a zero byte ends one.
inline std::string upperTrimmed(std::string_view text)
{
    std::string result;
    for (char c : text) {
        if (c == '\0') {
            break;
        }
        result += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    while (!result.empty() && result.back() == ' ') {
        result.pop_back();
    }
    return result;
}

} // namespace lengths::cdx
