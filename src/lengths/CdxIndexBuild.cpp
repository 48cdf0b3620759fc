#include "lengths/CdxIndex.h"

#include "lengths/CdxLayout.h"

#include <algorithm>
#include <bit>
#include <cstring>

// Writing: the index is built bottom-up from sorted keys in one pass.

namespace lengths {

using namespace cdx;

namespace {

// Entry widths of a leaf: record number in the low bits, then the duplicate and trailing
// counts, which must fill the entry exactly because readers find them from the top.
struct LeafLayout
{
    int bytes = 3;
    int recordBits = 16;
    int countBits = 4;

    std::uint32_t recordMask() const { return static_cast<std::uint32_t>((1ull << recordBits) - 1); }
    std::uint32_t countMask() const { return (1u << countBits) - 1; }

    // The widths established engines choose for a key length and the highest record number.
    static LeafLayout forKeys(std::uint16_t keyLength, std::uint32_t highestRecord)
    {
        LeafLayout layout;
        layout.countBits = std::bit_width(keyLength);
        layout.bytes = layout.countBits <= 8 ? 3 : (layout.countBits <= 12 ? 4 : 5);
        layout.recordBits = 8 * layout.bytes - 2 * layout.countBits;
        while (layout.recordBits < 32 && highestRecord > layout.recordMask()) {
            ++layout.bytes;
            layout.recordBits += 8;
        }
        return layout;
    }
};

// Builds one B+ tree bottom-up into the file: each level fills its current page and, when
// a page is full, chains a fresh one to it and passes the full page's last key up. Pages
// are taken from the end of the file in the order the levels ask for them.
class TreeBuilder
{
public:
    TreeBuilder(std::string& file, std::uint16_t keyLength, LeafLayout layout)
        : m_file(file)
        , m_keyLength(keyLength)
        , m_layout(layout)
        , m_maxInterior(static_cast<int>((kPageSize - kNodeHeaderSize) / (keyLength + 8u)))
    {
    }

    void add(const char* key, std::uint32_t record) { add(0, key, record, 0); }

    // Closes every level and returns the root's offset.
    std::uint32_t finish()
    {
        if (m_levels.empty()) {
            m_levels.push_back(Level {});
            m_levels[0].page = newPage(0, kNone);
            m_levels[0].freeBytes = kPageSize - kLeafHeaderSize;
        }
        for (std::size_t level = 0; level < m_levels.size(); ++level) {
            const std::uint32_t page = m_levels[level].page;
            if (level + 1 == m_levels.size()) {
                close(level, true);
                return page;
            }
            const std::string lastKey = m_levels[level].lastKey;
            add(level + 1, lastKey.data(), m_levels[level].lastRecord, page);
            close(level, false);
        }
        return kNone;
    }

private:
    struct Level
    {
        std::uint32_t page = kNone;
        int entries = 0;
        int freeBytes = 0;
        std::uint32_t keyEnd = kPageSize;
        std::string lastKey;
        std::uint32_t lastRecord = 0;
    };

    std::uint32_t newPage(std::size_t level, std::uint32_t left)
    {
        const auto page = static_cast<std::uint32_t>(m_file.size());
        m_file.append(kPageSize, '\0');
        putLe(m_file, page + kPageLeft, left, 4);
        putLe(m_file, page + kPageRight, kNone, 4);
        if (level == 0) {
            putLe(m_file, page + kLeafRecordMask, m_layout.recordMask(), 4);
            m_file[page + kLeafDuplicateMask] = static_cast<char>(m_layout.countMask());
            m_file[page + kLeafTrailingMask] = static_cast<char>(m_layout.countMask());
            m_file[page + kLeafRecordBits] = static_cast<char>(m_layout.recordBits);
            m_file[page + kLeafDuplicateBits] = static_cast<char>(m_layout.countBits);
            m_file[page + kLeafTrailingBits] = static_cast<char>(m_layout.countBits);
            m_file[page + kLeafEntryWidth] = static_cast<char>(m_layout.bytes);
        }
        return page;
    }

    void close(std::size_t level, bool root)
    {
        const Level& current = m_levels[level];
        const std::uint16_t type = (level == 0 ? kLeafBit : 0) | (root ? kRootBit : 0);
        putLe(m_file, current.page + kPageType, type, 2);
        putLe(m_file, current.page + kPageCount, static_cast<std::uint32_t>(current.entries), 2);
        if (level == 0) {
            putLe(m_file, current.page + kLeafFreeBytes, static_cast<std::uint32_t>(current.freeBytes), 2);
        }
    }

    int trailingBlanks(const char* key) const
    {
        int count = 0;
        while (count < m_keyLength && key[m_keyLength - 1 - count] == ' ') {
            ++count;
        }
        return std::min<int>(count, static_cast<int>(m_layout.countMask()));
    }

    // Shared leading bytes with the previous key of the page, blanks included, leaving
    // room for the trailing count.
    int duplicates(const Level& current, const char* key, int trailing) const
    {
        if (current.entries == 0) {
            return 0;
        }
        int count = 0;
        const int limit = std::min<int>(m_keyLength - trailing, static_cast<int>(m_layout.countMask()));
        while (count < limit && current.lastKey[count] == key[count]) {
            ++count;
        }
        return count;
    }

    void add(std::size_t level, const char* key, std::uint32_t record, std::uint32_t child)
    {
        if (level == m_levels.size()) {
            m_levels.push_back(Level {});
        }
        const int trailing = level == 0 ? trailingBlanks(key) : 0;
        int duplicate = level == 0 ? duplicates(m_levels[level], key, trailing) : 0;
        const Level& current = m_levels[level];
        const bool full = current.page == kNone
            || (level == 0 && current.freeBytes - (m_keyLength - duplicate - trailing) - m_layout.bytes < 0)
            || (level > 0 && current.entries == m_maxInterior);
        if (full) {
            const std::uint32_t old = current.page;
            const std::uint32_t fresh = newPage(level, old);
            if (old != kNone) {
                putLe(m_file, old + kPageRight, fresh, 4);
                const std::string lastKey = m_levels[level].lastKey;
                add(level + 1, lastKey.data(), m_levels[level].lastRecord, old);
                close(level, false);
            }
            Level& next = m_levels[level];
            next = Level {};
            next.page = fresh;
            next.freeBytes = kPageSize - kLeafHeaderSize;
            duplicate = 0;
        }
        Level& target = m_levels[level];
        if (level == 0) {
            const int fresh = m_keyLength - duplicate - trailing;
            const std::uint64_t entry = record | static_cast<std::uint64_t>(duplicate) << m_layout.recordBits
                | static_cast<std::uint64_t>(trailing) << (m_layout.recordBits + m_layout.countBits);
            putLe(m_file, target.page + kLeafHeaderSize + target.entries * m_layout.bytes, entry, m_layout.bytes);
            target.keyEnd -= fresh;
            std::memcpy(&m_file[target.page + target.keyEnd], key + duplicate, fresh);
            target.freeBytes -= fresh + m_layout.bytes;
        } else {
            const std::size_t at = target.page + kNodeHeaderSize + target.entries * (m_keyLength + 8u);
            std::memcpy(&m_file[at], key, m_keyLength);
            putBe32(m_file, at + m_keyLength, record);
            putBe32(m_file, at + m_keyLength + 4, child);
        }
        target.lastKey.assign(key, m_keyLength);
        target.lastRecord = record;
        ++target.entries;
    }

    std::string& m_file;
    std::uint16_t m_keyLength;
    LeafLayout m_layout;
    int m_maxInterior;
    std::vector<Level> m_levels;
};

void writeTagHeader(std::string& file, std::uint32_t at, std::uint32_t root, std::uint16_t keyLength,
    std::uint8_t options, std::string_view expression)
{
    putLe(file, at + kTagRoot, root, 4);
    putLe(file, at + kTagKeyLength, keyLength, 2);
    file[at + kTagOptions] = static_cast<char>(options);
    file[at + kTagSignature] = static_cast<char>(kSignature);
    // Header and page lengths, an extension some engines read when "RCHB" marks them.
    putLe(file, at + kTagHeaderLength, kTagHeaderSize, 2);
    putLe(file, at + kTagPageLength, kPageSize, 2);
    // The pool holds the key expression at 0, then the (empty) filter; readers take the
    // positions from here and refuse a filter that overlaps the key expression.
    const auto keySize = static_cast<std::uint32_t>(expression.size() + 1);
    putLe(file, at + kTagFilterPosition, expression.empty() ? 1 : keySize, 2);
    putLe(file, at + kTagFilterLength, 1, 2);
    putLe(file, at + kTagKeyPosition, 0, 2);
    putLe(file, at + kTagKeyLengthInPool, keySize, 2);
    if (!expression.empty()) {
        std::memcpy(&file[at + kTagPool], expression.data(), expression.size());
    }
}

} // namespace

std::string CdxIndex::build(
    std::string_view tagName, std::string_view keyExpression, std::uint16_t keyLength, std::string_view keys)
{
    const std::size_t count = keyLength == 0 ? 0 : keys.size() / keyLength;
    // Key bytes, then record number: the order engines locate keys by when they update. The
    // first eight key bytes, read big-endian, decide most comparisons without touching the keys.
    struct SortEntry
    {
        std::uint64_t head;
        std::uint32_t row;
    };
    std::vector<SortEntry> entries(count);
    for (std::uint32_t row = 0; row < count; ++row) {
        std::uint64_t head = 0;
        const char* key = keys.data() + static_cast<std::size_t>(row) * keyLength;
        for (int i = 0; i < 8; ++i) {
            head = head << 8 | (i < keyLength ? static_cast<unsigned char>(key[i]) : 0u);
        }
        entries[row] = { head, row };
    }
    const std::size_t tail = keyLength > 8 ? keyLength - 8u : 0;
    std::sort(entries.begin(), entries.end(), [&](const SortEntry& a, const SortEntry& b) {
        if (a.head != b.head) {
            return a.head < b.head;
        }
        const int rest = tail == 0 ? 0
                                   : std::memcmp(keys.data() + static_cast<std::size_t>(a.row) * keyLength + 8,
                                       keys.data() + static_cast<std::size_t>(b.row) * keyLength + 8, tail);
        return rest != 0 ? rest < 0 : a.row < b.row;
    });

    // File header (the tag directory's own header), the directory's leaf, the tag header, then
    // the tag's tree.
    // The pool holds both expressions within its 512 bytes.
    keyExpression = keyExpression.substr(0, std::min<std::size_t>(keyExpression.size(), 255));
    std::string file(kTagHeaderSize, '\0');
    // Compressed leaves take about the key length per key; interior pages add a few percent.
    file.reserve(4 * kTagHeaderSize + count * (keyLength + 8u) + 4 * kPageSize);
    const std::uint32_t tagHeader = kTagHeaderSize + kPageSize;
    std::string name = upperTrimmed(tagName).substr(0, kDirectoryKeyLength);
    name.resize(kDirectoryKeyLength, ' ');
    TreeBuilder directory(file, kDirectoryKeyLength, LeafLayout::forKeys(kDirectoryKeyLength, tagHeader));
    directory.add(name.data(), tagHeader);
    const std::uint32_t directoryRoot = directory.finish();
    file.append(kTagHeaderSize, '\0');

    TreeBuilder tree(file, keyLength, LeafLayout::forKeys(keyLength, static_cast<std::uint32_t>(count)));
    for (const SortEntry& entry : entries) {
        tree.add(keys.data() + static_cast<std::size_t>(entry.row) * keyLength, entry.row + 1);
    }
    const std::uint32_t root = tree.finish();

    writeTagHeader(
        file, 0, directoryRoot, kDirectoryKeyLength, kOptionStructure | kOptionCompound | kOptionCompact, {});
    std::memcpy(&file[kTagLengthsMark], "RCHB", 4);
    writeTagHeader(file, tagHeader, root, keyLength, kOptionCompound | kOptionCompact, keyExpression);
    return file;
}

} // namespace lengths
