#include "lengths/CdxIndex.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <unordered_set>

namespace lengths {

namespace {

constexpr std::uint32_t kPageSize = 512;
constexpr std::uint32_t kTagHeaderSize = 1024;
constexpr std::uint32_t kNone = 0xFFFFFFFFu;
constexpr std::uint32_t kLeafHeaderSize = 24;
constexpr std::uint32_t kNodeHeaderSize = 12;
constexpr std::uint16_t kRootBit = 0x01;
constexpr std::uint16_t kLeafBit = 0x02;
constexpr std::uint16_t kMaxKeyLength = 240;
constexpr std::uint16_t kDirectoryKeyLength = 10;
// A B-tree over 2^32 records is at most a few dozen levels deep; more means a cycle.
constexpr int kMaxDepth = 32;

constexpr std::uint8_t kOptionUnique = 0x01;
constexpr std::uint8_t kOptionFilter = 0x08;
constexpr std::uint8_t kOptionCompact = 0x20;
constexpr std::uint8_t kOptionCompound = 0x40;
constexpr std::uint8_t kOptionStructure = 0x80;
constexpr std::uint8_t kSignature = 0x01;

std::uint32_t le(const std::string& bytes, std::size_t at, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

std::uint32_t be32(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

void putLe(std::string& bytes, std::size_t at, std::uint64_t value, int size)
{
    for (int i = 0; i < size; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

void putBe32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * (3 - i))) & 0xFF);
    }
}

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

std::string upperTrimmed(std::string_view text)
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

// ---- Writing ----------------------------------------------------------------------------

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
        putLe(m_file, page + 4, left, 4);
        putLe(m_file, page + 8, kNone, 4);
        if (level == 0) {
            putLe(m_file, page + 14, m_layout.recordMask(), 4);
            m_file[page + 18] = static_cast<char>(m_layout.countMask());
            m_file[page + 19] = static_cast<char>(m_layout.countMask());
            m_file[page + 20] = static_cast<char>(m_layout.recordBits);
            m_file[page + 21] = static_cast<char>(m_layout.countBits);
            m_file[page + 22] = static_cast<char>(m_layout.countBits);
            m_file[page + 23] = static_cast<char>(m_layout.bytes);
        }
        return page;
    }

    void close(std::size_t level, bool root)
    {
        const Level& current = m_levels[level];
        const std::uint16_t type = (level == 0 ? kLeafBit : 0) | (root ? kRootBit : 0);
        putLe(m_file, current.page, type, 2);
        putLe(m_file, current.page + 2, static_cast<std::uint32_t>(current.entries), 2);
        if (level == 0) {
            putLe(m_file, current.page + 12, static_cast<std::uint32_t>(current.freeBytes), 2);
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
                putLe(m_file, old + 8, fresh, 4);
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
    putLe(file, at, root, 4);
    putLe(file, at + 12, keyLength, 2);
    file[at + 14] = static_cast<char>(options);
    file[at + 15] = static_cast<char>(kSignature);
    // Header and page lengths, an extension some engines read when "RCHB" marks them.
    putLe(file, at + 16, kTagHeaderSize, 2);
    putLe(file, at + 18, kPageSize, 2);
    // The pool holds the key expression at 0, then the (empty) filter; readers take the
    // positions from here and refuse a filter that overlaps the key expression.
    const auto keySize = static_cast<std::uint32_t>(expression.size() + 1);
    putLe(file, at + 504, expression.empty() ? 1 : keySize, 2);
    putLe(file, at + 506, 1, 2);
    putLe(file, at + 508, 0, 2);
    putLe(file, at + 510, keySize, 2);
    if (!expression.empty()) {
        std::memcpy(&file[at + 512], expression.data(), expression.size());
    }
}

} // namespace

// ---- Reading --------------------------------------------------------------------------------

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
    const std::uint16_t keyLength = static_cast<std::uint16_t>(le(m_bytes, 12, 2));
    if (keyLength == 0 || keyLength > kMaxKeyLength) {
        return false;
    }
    const std::uint32_t root = le(m_bytes, 0, 4);
    // The tag directory is a tree like the others; its "record numbers" are tag header offsets.
    std::vector<std::pair<std::uint32_t, int>> pending { { root, 0 } };
    std::unordered_set<std::uint32_t> seen;
    while (!pending.empty()) {
        const auto [page, depth] = pending.back();
        pending.pop_back();
        if (!holdsPage(m_bytes, page) || depth > kMaxDepth || !seen.insert(page).second) {
            return false;
        }
        const std::uint16_t type = static_cast<std::uint16_t>(le(m_bytes, page, 2));
        if ((type & kLeafBit) == 0) {
            const std::uint32_t count = le(m_bytes, page + 2, 2);
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
            tag.root = le(m_bytes, header, 4);
            tag.keyLength = static_cast<std::uint16_t>(le(m_bytes, header + 12, 2));
            const auto options = static_cast<std::uint8_t>(m_bytes[header + 14]);
            tag.unique = (options & kOptionUnique) != 0;
            tag.hasFilter = (options & kOptionFilter) != 0;
            tag.descending = le(m_bytes, header + 502, 2) != 0;
            const std::uint32_t position = le(m_bytes, header + 508, 2);
            const std::uint32_t length = le(m_bytes, header + 510, 2);
            if (position < kPageSize) {
                const std::string_view pool = std::string_view(m_bytes).substr(
                    header + kPageSize + position, std::min(length, kPageSize - position));
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
    if ((le(m_bytes, page, 2) & kLeafBit) == 0) {
        return decoded;
    }
    const std::uint32_t count = le(m_bytes, page + 2, 2);
    const std::uint32_t width = static_cast<unsigned char>(m_bytes[page + 23]);
    const std::uint32_t recordMask = le(m_bytes, page + 14, 4);
    const std::uint32_t duplicateMask = static_cast<unsigned char>(m_bytes[page + 18]);
    const std::uint32_t trailingMask = static_cast<unsigned char>(m_bytes[page + 19]);
    const std::uint32_t duplicateBits = static_cast<unsigned char>(m_bytes[page + 21]);
    const std::uint32_t trailingBits = static_cast<unsigned char>(m_bytes[page + 22]);
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
    decoded.right = le(m_bytes, page + 8, 4);
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
        const std::uint16_t type = static_cast<std::uint16_t>(le(m_bytes, page, 2));
        if ((type & kLeafBit) == 0) {
            // Each interior entry is the last key of its child: descend into the first entry
            // that is not below the text.
            const std::uint32_t entrySize = keyLength + 8u;
            const std::uint32_t count = le(m_bytes, page + 2, 2);
            if (count == 0 || kNodeHeaderSize + count * entrySize > kPageSize) {
                return result;
            }
            const char* entries = &m_bytes[page + kNodeHeaderSize];
            std::uint32_t low = 0;
            std::uint32_t high = count;
            while (low < high) {
                const std::uint32_t middle = (low + high) / 2;
                if (comparePrefix(entries + middle * entrySize, text) < 0) {
                    low = middle + 1;
                } else {
                    high = middle;
                }
            }
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
            std::size_t low = 0;
            std::size_t high = count;
            while (low < high) {
                const std::size_t middle = (low + high) / 2;
                if (comparePrefix(&keys.keys[middle * keyLength], text) < 0) {
                    low = middle + 1;
                } else {
                    high = middle;
                }
            }
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
        if ((le(m_bytes, page, 2) & kLeafBit) != 0) {
            break;
        }
        if (le(m_bytes, page + 2, 2) == 0) {
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

// ---- Building -------------------------------------------------------------------------------

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
    std::memcpy(&file[20], "RCHB", 4);
    writeTagHeader(file, tagHeader, root, keyLength, kOptionCompound | kOptionCompact, keyExpression);
    return file;
}

} // namespace lengths
