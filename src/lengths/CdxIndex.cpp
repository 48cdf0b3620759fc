#include "lengths/CdxIndex.h"

#include "lengths/CdxLayout.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

// Reading: the index is checked as it is walked, so damage makes a seek miss, never read outside
// the bytes. Writing is in CdxIndexBuild.cpp.

namespace lengths {

using namespace cdx;

namespace {

bool holdsPage(const std::string& bytes, std::uint32_t page)
{
    return page != kNone && static_cast<std::uint64_t>(page) + kPageSize <= bytes.size();
}

// Compares a key with a search text over the text's length only: 0 when the key begins
// with the text, which is what an xBase seek on a character key counts as equal.
int comparePrefix(const char* key, std::string_view text)
{
    return text.empty() ? 0 : std::memcmp(key, text.data(), text.size());
}

// The first of count sorted keys, stride bytes apart from keys on, that is not below text;
// count when every key is. Interior entries and decoded leaves are both searched so.
std::size_t firstNotBelow(const char* keys, std::size_t count, std::size_t stride, std::string_view text)
{
    std::size_t low = 0;
    std::size_t high = count;
    while (low < high) {
        const std::size_t middle = (low + high) / 2;
        if (comparePrefix(keys + middle * stride, text) < 0) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

} // namespace

std::unique_ptr<CdxIndex> CdxIndex::parse(std::string bytes)
{
    if (bytes.size() < kTagHeaderSize + kPageSize) {
        return nullptr;
    }
    std::unique_ptr<CdxIndex> index(new CdxIndex());
    index->m_bytes = std::move(bytes);
    index->m_leaves.resize(index->m_bytes.size() / kPageSize);
    if (!index->readDirectory()) {
        return nullptr;
    }
    return index;
}

bool CdxIndex::readDirectory()
{
    const std::uint16_t keyLength = static_cast<std::uint16_t>(le(m_bytes, kTagKeyLength, 2));
    if (keyLength == 0 || keyLength > kMaxKeyLength) {
        return false;
    }
    const std::uint32_t root = le(m_bytes, kTagRoot, 4);
    // The tag directory is a tree like the others; its "record numbers" are tag header offsets.
    std::vector<std::pair<std::uint32_t, int>> pending { { root, 0 } };
    std::unordered_set<std::uint32_t> seen;
    while (!pending.empty()) {
        const auto [page, depth] = pending.back();
        pending.pop_back();
        if (!holdsPage(m_bytes, page) || depth > kMaxDepth || !seen.insert(page).second) {
            return false;
        }
        const std::uint16_t type = static_cast<std::uint16_t>(le(m_bytes, page + kPageType, 2));
        if ((type & kLeafBit) == 0) {
            const std::uint32_t count = le(m_bytes, page + kPageCount, 2);
            if (kNodeHeaderSize + count * (keyLength + 8u) > kPageSize) {
                return false;
            }
            for (std::uint32_t i = count; i-- > 0;) {
                pending.emplace_back(
                    be32(m_bytes, page + kNodeHeaderSize + i * (keyLength + 8u) + keyLength + 4), depth + 1);
            }
            continue;
        }
        const Leaf& names = leaf(page, keyLength);
        if (!names.valid) {
            return false;
        }
        for (std::size_t i = 0; i < names.records.size(); ++i) {
            const std::uint32_t header = names.records[i];
            if (static_cast<std::uint64_t>(header) + kTagHeaderSize > m_bytes.size()) {
                return false;
            }
            CdxTag tag;
            tag.name = upperTrimmed(std::string_view(names.keys).substr(i * keyLength, keyLength));
            tag.header = header;
            tag.root = le(m_bytes, header + kTagRoot, 4);
            tag.keyLength = static_cast<std::uint16_t>(le(m_bytes, header + kTagKeyLength, 2));
            const auto options = static_cast<std::uint8_t>(m_bytes[header + kTagOptions]);
            tag.unique = (options & kOptionUnique) != 0;
            tag.hasFilter = (options & kOptionFilter) != 0;
            tag.descending = le(m_bytes, header + kTagDescending, 2) != 0;
            const std::uint32_t position = le(m_bytes, header + kTagKeyPosition, 2);
            const std::uint32_t length = le(m_bytes, header + kTagKeyLengthInPool, 2);
            if (position < kPageSize) {
                const std::string_view pool = std::string_view(m_bytes).substr(
                    header + kTagPool + position, std::min(length, kPageSize - position));
                tag.keyExpression = std::string(pool.substr(0, std::min(pool.find('\0'), pool.size())));
            }
            if (tag.keyLength == 0 || tag.keyLength > kMaxKeyLength) {
                return false;
            }
            m_tags.push_back(std::move(tag));
        }
    }
    // The directory's decoded leaves are no longer needed.
    for (Leaf& decoded : m_leaves) {
        decoded = Leaf {};
    }
    return true;
}

std::optional<CdxTag> CdxIndex::tag(std::string_view name) const
{
    const std::string wanted = upperTrimmed(name);
    for (const CdxTag& tag : m_tags) {
        if (tag.name == wanted) {
            return tag;
        }
    }
    return std::nullopt;
}

const CdxIndex::Leaf& CdxIndex::leaf(std::uint32_t page, std::uint16_t keyLength) const
{
    static const Leaf kNoLeaf;
    // Pages lie on 512-byte boundaries; any other offset is damage.
    if (!holdsPage(m_bytes, page) || page % kPageSize != 0) {
        return kNoLeaf;
    }
    Leaf& decoded = m_leaves[page / kPageSize];
    if (decoded.decoded) {
        return decoded;
    }
    decoded.decoded = true;
    if ((le(m_bytes, page + kPageType, 2) & kLeafBit) == 0) {
        return decoded;
    }
    const std::uint32_t count = le(m_bytes, page + kPageCount, 2);
    const std::uint32_t width = static_cast<unsigned char>(m_bytes[page + kLeafEntryWidth]);
    const std::uint32_t recordMask = le(m_bytes, page + kLeafRecordMask, 4);
    const std::uint32_t duplicateMask = static_cast<unsigned char>(m_bytes[page + kLeafDuplicateMask]);
    const std::uint32_t trailingMask = static_cast<unsigned char>(m_bytes[page + kLeafTrailingMask]);
    const std::uint32_t duplicateBits = static_cast<unsigned char>(m_bytes[page + kLeafDuplicateBits]);
    const std::uint32_t trailingBits = static_cast<unsigned char>(m_bytes[page + kLeafTrailingBits]);
    // Both counts need at least one bit: with none, the shift below would move a 64-bit entry by
    // its whole width, which C++ leaves undefined.
    if (width == 0 || width > 8 || duplicateBits == 0 || trailingBits == 0 || duplicateBits + trailingBits > 8 * width
        || kLeafHeaderSize + count * width > kPageSize) {
        return decoded;
    }
    // The counts sit in the top bits of each entry, the trailing count highest.
    const std::uint32_t trailingShift = 8 * width - trailingBits;
    const std::uint32_t duplicateShift = trailingShift - duplicateBits;
    std::string previous(keyLength, ' ');
    decoded.keys.resize(static_cast<std::size_t>(count) * keyLength);
    decoded.records.resize(count);
    std::uint32_t end = kPageSize;
    const std::uint32_t entriesEnd = kLeafHeaderSize + count * width;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint64_t value = 0;
        for (std::uint32_t b = width; b-- > 0;) {
            value = value << 8 | static_cast<unsigned char>(m_bytes[page + kLeafHeaderSize + i * width + b]);
        }
        const std::uint32_t duplicate
            = i == 0 ? 0 : static_cast<std::uint32_t>(value >> duplicateShift) & duplicateMask;
        const std::uint32_t trailing = static_cast<std::uint32_t>(value >> trailingShift) & trailingMask;
        if (duplicate + trailing > keyLength) {
            return decoded;
        }
        const std::uint32_t fresh = keyLength - duplicate - trailing;
        if (end < entriesEnd + fresh) {
            return decoded;
        }
        end -= fresh;
        char* key = &decoded.keys[static_cast<std::size_t>(i) * keyLength];
        std::memcpy(key, previous.data(), duplicate);
        std::memcpy(key + duplicate, &m_bytes[page + end], fresh);
        std::memset(key + duplicate + fresh, ' ', trailing);
        previous.assign(key, keyLength);
        decoded.records[i] = static_cast<std::uint32_t>(value) & recordMask;
    }
    decoded.right = le(m_bytes, page + kPageRight, 4);
    decoded.keyLength = keyLength;
    decoded.valid = true;
    return decoded;
}

SeekResult CdxIndex::seek(const CdxTag& tag, std::string_view text) const
{
    SeekResult result;
    const std::uint16_t keyLength = tag.keyLength;
    text = text.substr(0, std::min<std::size_t>(text.size(), keyLength));
    std::uint32_t page = tag.root;
    for (int depth = 0; depth <= kMaxDepth; ++depth) {
        if (!holdsPage(m_bytes, page)) {
            return result;
        }
        const std::uint16_t type = static_cast<std::uint16_t>(le(m_bytes, page + kPageType, 2));
        if ((type & kLeafBit) == 0) {
            // Each interior entry is the last key of its child: descend into the first entry
            // that is not below the text.
            const std::uint32_t entrySize = keyLength + 8u;
            const std::uint32_t count = le(m_bytes, page + kPageCount, 2);
            if (count == 0 || kNodeHeaderSize + count * entrySize > kPageSize) {
                return result;
            }
            const auto low
                = static_cast<std::uint32_t>(firstNotBelow(&m_bytes[page + kNodeHeaderSize], count, entrySize, text));
            if (low == count) {
                return result;
            }
            page = be32(m_bytes, page + kNodeHeaderSize + low * entrySize + keyLength + 4);
            continue;
        }
        // In the leaf; should the position lie beyond its last key (only in a damaged tree),
        // the next leaves along the chain hold it.
        for (int hops = 0; hops <= kMaxDepth; ++hops) {
            const Leaf& keys = leaf(page, keyLength);
            if (!keys.valid || keys.keyLength != keyLength) {
                return result;
            }
            const std::size_t count = keys.records.size();
            const std::size_t low = firstNotBelow(keys.keys.data(), count, keyLength, text);
            if (low < count) {
                result.eof = false;
                result.key = keys.keys.substr(low * keyLength, keyLength);
                result.record = keys.records[low];
                result.found = comparePrefix(result.key.data(), text) == 0;
                return result;
            }
            page = keys.right;
            if (!holdsPage(m_bytes, page)) {
                return result;
            }
        }
        return result;
    }
    return result;
}

std::optional<std::vector<CdxKey>> CdxIndex::walk(const CdxTag& tag) const
{
    std::uint32_t page = tag.root;
    for (int depth = 0;; ++depth) {
        if (depth > kMaxDepth || !holdsPage(m_bytes, page)) {
            return std::nullopt;
        }
        if ((le(m_bytes, page + kPageType, 2) & kLeafBit) != 0) {
            break;
        }
        if (le(m_bytes, page + kPageCount, 2) == 0) {
            return std::nullopt;
        }
        page = be32(m_bytes, page + kNodeHeaderSize + tag.keyLength + 4);
    }
    std::vector<CdxKey> keys;
    const std::size_t pages = m_bytes.size() / kPageSize;
    for (std::size_t visited = 0; page != kNone; ++visited) {
        const Leaf& decoded = leaf(page, tag.keyLength);
        if (visited > pages || !decoded.valid || decoded.keyLength != tag.keyLength) {
            return std::nullopt;
        }
        for (std::size_t i = 0; i < decoded.records.size(); ++i) {
            keys.push_back({ decoded.keys.substr(i * tag.keyLength, tag.keyLength), decoded.records[i] });
        }
        page = decoded.right;
    }
    return keys;
}

} // namespace lengths
