#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace lengths_test {

// Checks a written index against what xBase engines insist on, reading the bytes on its own
// (independently of the reader under test). Returns the problems found; empty when the file is
// sound. `keys` are the table's keys in record order.
class CdxStructure
{
public:
    CdxStructure(std::string file, std::string keys, unsigned keyLength)
        : m_file(std::move(file))
        , m_keys(std::move(keys))
        , m_keyLength(keyLength)
    {
    }

    std::vector<std::string> problems()
    {
        checkHeader(0, 0xE0, 10, "");
        const std::uint32_t directoryRoot = le(0, 4);
        const std::uint32_t tagHeader = directoryTagOffset(directoryRoot);
        if (tagHeader == 0) {
            return m_problems;
        }
        checkHeader(tagHeader, 0x60, m_keyLength, "MT_ARTNR");
        std::vector<std::uint32_t> level { le(tagHeader, 4) };
        expect(type(level[0]) & 1, "root page without the root bit");
        levels = 0;
        // Walk level by level: every level is one exact sibling chain, and each interior entry
        // names its child's last key and record.
        while (!m_problems.size()) {
            ++levels;
            checkChain(level);
            if (type(level[0]) & 2) {
                checkLeaves(level);
                break;
            }
            std::vector<std::uint32_t> children;
            for (std::uint32_t page : level) {
                for (unsigned i = 0; i < count(page); ++i) {
                    const std::size_t at = page + 12 + i * (m_keyLength + 8);
                    const std::uint32_t child = be(at + m_keyLength + 4);
                    const auto [lastKey, lastRecord] = lastOf(child);
                    expect(m_file.compare(at, m_keyLength, lastKey) == 0 && be(at + m_keyLength) == lastRecord,
                        "interior entry differs from its child's last key");
                    children.push_back(child);
                }
            }
            level = children;
        }
        return m_problems;
    }

    int levels = 0;

private:
    std::uint32_t le(std::size_t at, int size) const
    {
        std::uint32_t value = 0;
        for (int i = size - 1; i >= 0; --i) {
            value = value << 8 | static_cast<unsigned char>(m_file.at(at + i));
        }
        return value;
    }
    std::uint32_t be(std::size_t at) const
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value = value << 8 | static_cast<unsigned char>(m_file.at(at + i));
        }
        return value;
    }
    unsigned type(std::uint32_t page) const { return le(page, 2); }
    unsigned count(std::uint32_t page) const { return le(page + 2, 2); }
    void expect(bool ok, const std::string& problem)
    {
        if (!ok) {
            m_problems.push_back(problem);
        }
    }

    void checkHeader(std::uint32_t at, unsigned options, unsigned keyLength, const std::string& expression)
    {
        expect(le(at + 12, 2) == keyLength, "key length");
        expect(static_cast<unsigned char>(m_file.at(at + 14)) == options, "options");
        expect(m_file.at(at + 499) == 0 && le(at + 502, 2) == 0, "ignore-case or descending set");
        expect(le(at + 508, 2) == 0 && le(at + 510, 2) == expression.size() + 1, "key expression position");
        expect(le(at + 504, 2) == expression.size() + 1 && le(at + 506, 2) == 1, "filter expression position");
        expect(
            m_file.compare(at + 512, expression.size() + 2, expression + std::string(2, '\0')) == 0, "expression pool");
    }

    std::uint32_t directoryTagOffset(std::uint32_t root)
    {
        expect(type(root) == 3 && count(root) == 1, "tag directory is not one root leaf with one tag");
        std::vector<std::pair<std::string, std::uint32_t>> keys;
        decode(root, 10, keys);
        expect(keys.size() == 1 && keys[0].first == "MT_ARTNR  ", "tag directory does not name MT_ARTNR");
        return m_problems.empty() ? keys[0].second : 0;
    }

    void checkChain(const std::vector<std::uint32_t>& pages)
    {
        for (std::size_t i = 0; i < pages.size(); ++i) {
            expect(le(pages[i] + 4, 4) == (i == 0 ? 0xFFFFFFFFu : pages[i - 1]), "left sibling");
            expect(le(pages[i] + 8, 4) == (i + 1 == pages.size() ? 0xFFFFFFFFu : pages[i + 1]), "right sibling");
            expect((type(pages[i]) & 1) == (pages.size() == 1 && levels == 1 ? 1u : 0u), "root bit");
            expect(count(pages[i]) > 0 || m_keys.empty(), "empty page");
        }
    }

    // Decodes a leaf, checking its widths, masks and free bytes.
    void decode(std::uint32_t page, unsigned keyLength, std::vector<std::pair<std::string, std::uint32_t>>& out)
    {
        const unsigned n = count(page);
        const unsigned width = static_cast<unsigned char>(m_file.at(page + 23));
        const unsigned recBits = static_cast<unsigned char>(m_file.at(page + 20));
        const unsigned dupBits = static_cast<unsigned char>(m_file.at(page + 21));
        const unsigned trlBits = static_cast<unsigned char>(m_file.at(page + 22));
        expect(recBits + dupBits + trlBits == 8 * width, "bit widths do not fill the entry");
        expect(le(page + 14, 4) == (1ull << recBits) - 1, "record mask");
        expect(static_cast<unsigned char>(m_file.at(page + 18)) == (1u << dupBits) - 1
                && static_cast<unsigned char>(m_file.at(page + 19)) == (1u << trlBits) - 1,
            "count masks");
        std::string previous(keyLength, ' ');
        unsigned end = 512;
        unsigned stored = 0;
        for (unsigned i = 0; i < n && m_problems.empty(); ++i) {
            std::uint64_t v = 0;
            for (unsigned b = width; b-- > 0;) {
                v = v << 8 | static_cast<unsigned char>(m_file.at(page + 24 + i * width + b));
            }
            const unsigned record = static_cast<unsigned>(v & ((1ull << recBits) - 1));
            const unsigned dup = static_cast<unsigned>(v >> recBits) & ((1u << dupBits) - 1);
            const unsigned trl = static_cast<unsigned>(v >> (recBits + dupBits)) & ((1u << trlBits) - 1);
            expect(i > 0 || dup == 0, "first key with a duplicate count");
            expect(dup + trl <= keyLength, "counts longer than the key");
            if (!m_problems.empty()) {
                break;
            }
            const unsigned fresh = keyLength - dup - trl;
            end -= fresh;
            stored += fresh;
            std::string key = previous.substr(0, dup) + m_file.substr(page + end, fresh) + std::string(trl, ' ');
            expect(key.compare(key.size() - trl, trl, std::string(trl, ' ')) == 0
                    && (trl == keyLength || key[keyLength - trl - 1] != ' ' || fresh == 0),
                "trailing count does not cover the blanks");
            previous = key;
            out.emplace_back(key, record);
        }
        expect(le(page + 12, 2) == 512 - 24 - n * width - stored, "free bytes");
    }

    std::pair<std::string, std::uint32_t> lastOf(std::uint32_t page)
    {
        if (type(page) & 2) {
            std::vector<std::pair<std::string, std::uint32_t>> keys;
            decode(page, m_keyLength, keys);
            return keys.empty() ? std::pair<std::string, std::uint32_t> {} : keys.back();
        }
        const std::size_t at = page + 12 + (count(page) - 1) * (m_keyLength + 8);
        return lastOf(be(at + m_keyLength + 4));
    }

    void checkLeaves(const std::vector<std::uint32_t>& pages)
    {
        std::vector<std::pair<std::string, std::uint32_t>> keys;
        for (std::uint32_t page : pages) {
            decode(page, m_keyLength, keys);
        }
        const std::size_t records = m_keys.size() / m_keyLength;
        expect(keys.size() == records, "not every record has its key");
        std::vector<bool> seen(records + 1, false);
        for (std::size_t i = 0; i < keys.size() && m_problems.empty(); ++i) {
            const auto& [key, record] = keys[i];
            expect(record >= 1 && record <= records && !seen[record], "record missing or twice");
            if (!m_problems.empty()) {
                break;
            }
            seen[record] = true;
            expect(m_keys.compare((record - 1) * m_keyLength, m_keyLength, key) == 0, "key differs from its record");
            expect(i == 0 || keys[i - 1] < keys[i], "keys out of (key, record) order");
        }
    }

    std::string m_file;
    std::string m_keys;
    unsigned m_keyLength;
    std::vector<std::string> m_problems;
};

} // namespace lengths_test
