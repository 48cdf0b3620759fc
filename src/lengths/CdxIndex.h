#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lengths {

// One order (tag) of a compound index.
struct CdxTag
{
    std::string name; // upper case, blanks removed
    std::uint32_t header = 0; // offset of the tag header
    std::uint32_t root = 0; // offset of the root page
    std::uint16_t keyLength = 0;
    std::string keyExpression; // as stored
    bool descending = false;
    bool unique = false;
    bool hasFilter = false;
};

// Where a soft seek ended: on the first key not below the search text. found says whether that
// key begins with the text; eof that no key was left.
struct SeekResult
{
    bool found = false;
    bool eof = true;
    std::uint32_t record = 0;
    std::string key;
};

struct CdxKey
{
    std::string key;
    std::uint32_t record = 0;
};

// A FoxPro-style compound index (.CDX), held in memory while it is open so that a seek is a
// walk down the B-tree without file reads. Reading accepts every legal layout: any page order,
// fill, entry width and bit widths, free pages. Damaged pages make a seek miss, never read
// outside the file.
class CdxIndex
{
public:
    // The index in these bytes; nothing when its header or tag directory is not valid.
    static std::unique_ptr<CdxIndex> parse(std::string bytes);

    const std::vector<CdxTag>& tags() const { return m_tags; }
    // The tag of that name, compared without regard to case.
    std::optional<CdxTag> tag(std::string_view name) const;

    // Soft seek from the top of the order (ascending tags): the lower bound of text, compared
    // over its own length after cutting it to the key length.
    SeekResult seek(const CdxTag& tag, std::string_view text) const;

    // Every key in order, leaf by leaf along the sibling chain; nothing when a page is damaged
    // or the chain does not end.
    std::optional<std::vector<CdxKey>> walk(const CdxTag& tag) const;

    // A whole index file with the one tag, built bottom-up from the keys: record r (counted
    // from 1) has the key bytes [(r-1)*keyLength, r*keyLength) of keys. Keys are sorted here by
    // bytes, then record number. The layout is the one established xBase engines write, so
    // they read it and keep it.
    static std::string build(
        std::string_view tagName, std::string_view keyExpression, std::uint16_t keyLength, std::string_view keys);

private:
    struct Leaf
    {
        std::string keys; // count * keyLength bytes, blanks restored
        std::vector<std::uint32_t> records;
        std::uint32_t right = 0xFFFFFFFFu;
        std::uint16_t keyLength = 0;
        bool decoded = false; // tried already
        bool valid = false;
    };

    CdxIndex() = default;
    const Leaf& leaf(std::uint32_t page, std::uint16_t keyLength) const;
    bool readDirectory();

    std::string m_bytes;
    std::vector<CdxTag> m_tags;
    // Decoded leaves by page number: decoding a compressed leaf costs more than a seek may, so
    // each is decoded once per open.
    mutable std::vector<Leaf> m_leaves;
};

} // namespace lengths
