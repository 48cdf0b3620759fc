#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace convert {

// Where the bytes of a group of values come from. Text sources (SDF, CSV, ICM, MC1000) hand
// over bytes that go into dtbs.xml unchanged; XML sources (and config.xml) hand over UTF-8 that
// the writer turns into ISO-8859-1 with character references. orderkop.txt holds Windows-1252,
// which is ISO-8859-1 but for bytes 80..9F: those become references to the characters they
// stand for there (80 is the euro sign, not a control).
enum class TextOrigin { Bytes, Utf8, Windows1252 };

// Sender credentials. Identity and Secret come from the settings (UTF-8).
struct ORDER_FROM
{
    std::string domain;
    std::string Identity;
    std::string Secret;
};

// Request attributes. DirectERP comes from the settings (UTF-8).
struct ORDER_REQUEST
{
    std::string DirectERP;
    std::string deploymentMode;
};

// The order header, in writing order. addressID and lang come from the settings (UTF-8); the
// fields taken from the header list carry ORDER::headerOrigin.
struct ORDER_HEADER
{
    std::string OrderDate;
    std::string type;
    std::string currency;
    std::string Shipping_method;
    std::string Contract_number;
    std::string Order_reference_number;
    std::string Additional_reference_1;
    std::string Additional_reference_2;
    std::string Tel_number;
    std::string addressID;
    std::string lang;
    std::string name;
    std::string DeliverTo;
    std::string Street;
    std::string City;
    std::string PostalCode;
    std::string isoCountryCode;
};

// One order line as the list hands it out: views into the list's own storage, valid until the
// list changes.
struct ORDER_LINE
{
    std::string_view quantity;
    std::string_view deliveryDate;
    std::string_view lineNumber;
    std::string_view articleNumber;
};

// The order lines in reading order. An order may hold a hundred thousand lines, so the texts
// lie back to back in one buffer instead of four strings per line.
class ORDER_LINES
{
public:
    void push_back(const ORDER_LINE& line);
    // Room for this many lines with this many text bytes in all; reserving more than is used
    // costs address space only.
    void reserve(std::size_t lines, std::size_t textBytes);
    void clear();

    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    ORDER_LINE operator[](std::size_t index) const;

    class const_iterator
    {
    public:
        const_iterator(const ORDER_LINES& lines, std::size_t index)
            : m_lines(&lines)
            , m_index(index)
        {
        }
        ORDER_LINE operator*() const { return (*m_lines)[m_index]; }
        const_iterator& operator++()
        {
            ++m_index;
            return *this;
        }
        bool operator==(const const_iterator& other) const { return m_index == other.m_index; }

    private:
        const ORDER_LINES* m_lines;
        std::size_t m_index;
    };
    const_iterator begin() const { return { *this, 0 }; }
    const_iterator end() const { return { *this, size() }; }

private:
    struct Entry
    {
        std::size_t offset;
        std::uint32_t lengths[4];
    };
    std::string m_text;
    std::vector<Entry> m_entries;
};

// The header list: 1 contract, 2 order reference, 3 and 4 references, 5 telephone, 6 delivery
// date, 7 and 8 name lines, 9 street, 10 postal code, 11 city, 12 country (the XML mapping adds
// 13 to 15: day, month, year).
using KOPLIJST = std::vector<std::string>;

struct ORDER
{
    ORDER_FROM from;
    ORDER_REQUEST request;
    ORDER_HEADER header;
    ORDER_LINES lines;

    // Origin of the header fields that came from the header list (or the ICM file's own header).
    TextOrigin headerOrigin = TextOrigin::Bytes;
    // Origin of every line's article number (the other line fields are made here, ASCII).
    TextOrigin lineOrigin = TextOrigin::Bytes;
};

} // namespace convert
