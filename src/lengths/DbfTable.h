#pragma once

#include "platform/Clock.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lengths {

// One field of a dBASE table: name (upper case, at most 10 characters), type ('C', 'N', ...),
// width in bytes and decimals.
struct DbfField
{
    std::string name;
    char type = 'C';
    std::uint8_t width = 0;
    std::uint8_t decimals = 0;

    friend bool operator==(const DbfField&, const DbfField&) = default;
};

// A dBASE table held in memory: header, field descriptors and the records. Parsing and
// serialising only; the files and their locks belong to PipeLengthTable.
class DbfTable
{
public:
    // The layout the installation's lgt.dbf has: MT_ARTNR C 13, MT_LENGT N 8.3.
    static std::vector<DbfField> standardFields();

    // An empty table with these fields; nothing when the layout cannot be written (no fields,
    // a bad name, a zero width, a record longer than 65,535 bytes).
    static std::optional<DbfTable> create(const std::vector<DbfField>& fields);

    // The table in these bytes; nothing when the header or the field descriptors are not those
    // of a dBASE table. The record count comes from the size (a partial last record is dropped),
    // never from the header's count.
    static std::optional<DbfTable> parse(std::string bytes);

    // The whole file: header dated `date`, true record count, records, end-of-file mark.
    std::string serialize(const platform::Date& date) const;

    // Header byte 28 bit 0: the table has a production index (a .CDX of its own base name).
    bool hasProductionIndex() const;
    void setProductionIndex(bool present);

    const std::vector<DbfField>& fields() const { return m_fields; }
    // -1 when there is no field of that name (names compared without regard to case).
    int fieldIndex(std::string_view name) const;
    std::uint32_t recordCount() const { return m_count; }

    // Record numbers count from 1. Both return nothing/false for a number out of range.
    bool isDeleted(std::uint32_t record) const;
    // The raw bytes of the field in the record, exactly its width.
    std::optional<std::string_view> fieldBytes(std::uint32_t record, int field) const;
    // A numeric field's value; an all-blank field reads 0, text that is no number nothing.
    std::optional<double> numericValue(std::uint32_t record, int field) const;

    // Drops every record.
    void zap();
    // Drops the deleted records, keeping the order of the others.
    void pack();
    // Appends one record built from the values, by position; values beyond the fields are
    // ignored, missing ones leave their field blank. Character values are cut to the width,
    // numeric text is rounded to the field's decimals.
    void appendRecord(const std::vector<std::optional<std::string_view>>& values);
    // Appends one record per line of comma-separated text (CR LF, LF, CR or LF CR line ends).
    // A value in double quotes loses its quotes; an unquoted value is taken as it stands,
    // leading blanks included.
    void appendDelimited(std::string_view text);

private:
    std::string m_header; // as read or built, up to the first record
    std::vector<DbfField> m_fields;
    std::vector<std::uint16_t> m_offsets; // of each field in a record
    std::uint16_t m_recordLength = 1;
    std::uint32_t m_count = 0;
    std::string m_records;
};

} // namespace lengths
