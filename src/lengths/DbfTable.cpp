#include "lengths/DbfTable.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace lengths {

namespace {

constexpr std::size_t kFileHeaderSize = 32;
constexpr std::size_t kDescriptorSize = 32;
constexpr char kHeaderEnd = 0x0D;
constexpr char kEndOfFile = 0x1A;
constexpr char kLive = ' ';
constexpr char kDeleted = '*';
constexpr std::uint8_t kProductionIndexFlag = 0x01;

std::uint16_t readLe16(std::string_view bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(
        static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8);
}

void writeLe(std::string& bytes, std::size_t at, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// Version bytes that xBase engines open as a table; anything else is not a dBASE file.
bool isKnownVersion(unsigned char version)
{
    static constexpr unsigned char known[]
        = { 0x02, 0x03, 0x04, 0x05, 0x30, 0x31, 0x32, 0x43, 0x63, 0x83, 0x8B, 0x8E, 0xCB, 0xE5, 0xF5, 0xFB };
    return std::find(std::begin(known), std::end(known), version) != std::end(known);
}

bool isValidName(std::string_view name)
{
    if (name.empty() || name.size() > 10) {
        return false;
    }
    return std::all_of(
        name.begin(), name.end(), [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'; });
}

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

// A decimal number as written in a field or an import file: optional sign, digits, an
// optional point and digits. Parsing stops at the first other character, as xBase's VAL()
// does; the value is kept as digits so that rounding to the field's decimals is exact.
struct DecimalText
{
    bool negative = false;
    std::string integer;
    std::string fraction;
    std::size_t consumed = 0;
};

DecimalText scanDecimal(std::string_view text)
{
    DecimalText number;
    std::size_t at = 0;
    while (at < text.size() && text[at] == ' ') {
        ++at;
    }
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
        number.negative = text[at] == '-';
        ++at;
    }
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        number.integer += text[at++];
    }
    if (at < text.size() && text[at] == '.') {
        ++at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            number.fraction += text[at++];
        }
    }
    number.consumed = at;
    return number;
}

// The number rounded half away from zero to `decimals` places, as text with exactly that
// many decimals (at least one integer digit), or nothing when it needs more than 18 digits.
std::optional<std::string> roundedText(const DecimalText& number, int decimals)
{
    std::string digits = number.integer;
    std::string fraction = number.fraction;
    fraction.resize(std::max<std::size_t>(fraction.size(), decimals + 1), '0');
    const bool roundUp = fraction[decimals] >= '5';
    digits += fraction.substr(0, decimals);
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
    if (digits.size() > 18) {
        return std::nullopt;
    }
    unsigned long long scaled = 0;
    for (char c : digits) {
        scaled = scaled * 10 + static_cast<unsigned>(c - '0');
    }
    scaled += roundUp ? 1 : 0;
    std::string text = std::to_string(scaled);
    if (text.size() <= static_cast<std::size_t>(decimals)) {
        text.insert(0, decimals + 1 - text.size(), '0');
    }
    if (decimals > 0) {
        text.insert(text.size() - decimals, 1, '.');
    }
    if (number.negative && scaled != 0) {
        text.insert(0, 1, '-');
    }
    return text;
}

std::string fitNumeric(const std::optional<std::string>& text, int width)
{
    if (!text || text->size() > static_cast<std::size_t>(width)) {
        return std::string(width, '*');
    }
    return std::string(width - text->size(), ' ') + *text;
}

} // namespace

std::vector<DbfField> DbfTable::standardFields()
{
    return { { "MT_ARTNR", 'C', 13, 0 }, { "MT_LENGT", 'N', 8, 3 } };
}

std::optional<DbfTable> DbfTable::create(const std::vector<DbfField>& fields)
{
    if (fields.empty() || fields.size() > 255) {
        return std::nullopt;
    }
    DbfTable table;
    std::size_t length = 1;
    for (const DbfField& field : fields) {
        if (!isValidName(field.name) || field.width == 0) {
            return std::nullopt;
        }
        table.m_offsets.push_back(static_cast<std::uint16_t>(length));
        length += field.width;
    }
    if (length > 0xFFFF) {
        return std::nullopt;
    }
    table.m_fields = fields;
    table.m_recordLength = static_cast<std::uint16_t>(length);

    // Header terminator followed by one filler byte, as the reference engine writes it.
    std::string& header = table.m_header;
    header.assign(kFileHeaderSize + kDescriptorSize * fields.size() + 2, '\0');
    header[0] = 0x03;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::size_t at = kFileHeaderSize + kDescriptorSize * i;
        std::memcpy(&header[at], fields[i].name.data(), fields[i].name.size());
        header[at + 11] = fields[i].type;
        header[at + 16] = static_cast<char>(fields[i].width);
        header[at + 17] = static_cast<char>(fields[i].decimals);
    }
    header[header.size() - 2] = kHeaderEnd;
    return table;
}

std::optional<DbfTable> DbfTable::parse(std::string bytes)
{
    if (bytes.size() < kFileHeaderSize + kDescriptorSize + 1 || !isKnownVersion(static_cast<unsigned char>(bytes[0]))) {
        return std::nullopt;
    }
    const std::size_t headerLength = readLe16(bytes, 8);
    if (headerLength < kFileHeaderSize + kDescriptorSize + 1 || headerLength > bytes.size()) {
        return std::nullopt;
    }
    DbfTable table;
    std::size_t length = 1;
    std::size_t at = kFileHeaderSize;
    // Descriptors run up to the terminator, which must lie inside the header.
    while (at < headerLength && bytes[at] != kHeaderEnd) {
        if (at + kDescriptorSize > headerLength || table.m_fields.size() == 255) {
            return std::nullopt;
        }
        const std::string_view raw = std::string_view(bytes).substr(at, 11);
        DbfField field;
        field.name = std::string(raw.substr(0, std::min(raw.find('\0'), raw.size())));
        field.type = upper(bytes[at + 11]);
        field.width = static_cast<std::uint8_t>(bytes[at + 16]);
        field.decimals = static_cast<std::uint8_t>(bytes[at + 17]);
        if (field.name.empty() || field.width == 0) {
            return std::nullopt;
        }
        table.m_offsets.push_back(static_cast<std::uint16_t>(length));
        length += field.width;
        table.m_fields.push_back(std::move(field));
        at += kDescriptorSize;
    }
    if (at >= headerLength || table.m_fields.empty() || length > 0xFFFF) {
        return std::nullopt;
    }
    // Like the engines: the record length comes from the descriptors, the count from the size.
    table.m_recordLength = static_cast<std::uint16_t>(length);
    const std::size_t count = (bytes.size() - headerLength) / length;
    if (count > 0xFFFFFFFFu) {
        return std::nullopt;
    }
    table.m_count = static_cast<std::uint32_t>(count);
    table.m_header = bytes.substr(0, headerLength);
    // The records stay in the buffer they were read into: no second copy of a large table.
    bytes.resize(headerLength + count * length);
    bytes.erase(0, headerLength);
    table.m_records = std::move(bytes);
    return table;
}

std::string DbfTable::serialize(const platform::Date& date) const
{
    std::string bytes = m_header;
    bytes[1] = static_cast<char>(std::clamp(date.year - 1900, 0, 255));
    bytes[2] = static_cast<char>(date.month);
    bytes[3] = static_cast<char>(date.day);
    writeLe(bytes, 4, m_count, 4);
    writeLe(bytes, 8, static_cast<std::uint32_t>(m_header.size()), 2);
    writeLe(bytes, 10, m_recordLength, 2);
    bytes.reserve(bytes.size() + m_records.size() + 1);
    bytes += m_records;
    bytes += kEndOfFile;
    return bytes;
}

bool DbfTable::hasProductionIndex() const
{
    return (static_cast<unsigned char>(m_header[28]) & kProductionIndexFlag) != 0;
}

void DbfTable::setProductionIndex(bool present)
{
    const auto flags = static_cast<unsigned char>(m_header[28]);
    m_header[28] = static_cast<char>(present ? flags | kProductionIndexFlag : flags & ~kProductionIndexFlag);
}

int DbfTable::fieldIndex(std::string_view name) const
{
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const std::string& own = m_fields[i].name;
        if (own.size() == name.size()
            && std::equal(own.begin(), own.end(), name.begin(), [](char a, char b) { return upper(a) == upper(b); })) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool DbfTable::isDeleted(std::uint32_t record) const
{
    if (record == 0 || record > m_count) {
        return false;
    }
    return m_records[static_cast<std::size_t>(record - 1) * m_recordLength] == kDeleted;
}

std::optional<std::string_view> DbfTable::fieldBytes(std::uint32_t record, int field) const
{
    if (record == 0 || record > m_count || field < 0 || field >= static_cast<int>(m_fields.size())) {
        return std::nullopt;
    }
    const std::size_t at = static_cast<std::size_t>(record - 1) * m_recordLength + m_offsets[field];
    return std::string_view(m_records).substr(at, m_fields[field].width);
}

std::optional<double> DbfTable::numericValue(std::uint32_t record, int field) const
{
    const auto bytes = fieldBytes(record, field);
    if (!bytes) {
        return std::nullopt;
    }
    const std::string_view text = trimBlanks(*bytes);
    // Look-ups read this for every hit, so it is parsed in place: sign, digits, point, digits.
    std::size_t at = 0;
    const bool negative = !text.empty() && text[0] == '-';
    at += !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    double mantissa = 0;
    int digits = 0;
    int decimals = -1;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (c >= '0' && c <= '9') {
            mantissa = mantissa * 10 + (c - '0');
            ++digits;
            decimals += decimals >= 0 ? 1 : 0;
        } else if (c == '.' && decimals < 0) {
            decimals = 0;
        } else {
            return std::nullopt;
        }
    }
    if (text.empty()) {
        return 0.0;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    // All digits as one integer, divided once: "0.750" gives exactly the double nearest 0.75.
    static constexpr double kPowers[] = { 1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10 };
    const int scale = std::max(decimals, 0);
    const double value
        = scale < static_cast<int>(std::size(kPowers)) ? mantissa / kPowers[scale] : mantissa / std::pow(10.0, scale);
    return negative ? -value : value;
}

void DbfTable::zap()
{
    m_records.clear();
    m_count = 0;
}

void DbfTable::pack()
{
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_count; ++i) {
        const std::size_t from = i * m_recordLength;
        if (m_records[from] == kDeleted) {
            continue;
        }
        if (kept != i) {
            std::memmove(&m_records[kept * m_recordLength], &m_records[from], m_recordLength);
        }
        ++kept;
    }
    m_records.resize(kept * m_recordLength);
    m_count = static_cast<std::uint32_t>(kept);
}

void DbfTable::appendRecord(const std::vector<std::optional<std::string_view>>& values)
{
    const std::size_t start = m_records.size();
    m_records.append(m_recordLength, ' ');
    m_records[start] = kLive;
    for (std::size_t i = 0; i < m_fields.size() && i < values.size(); ++i) {
        if (!values[i]) {
            continue;
        }
        const DbfField& field = m_fields[i];
        std::string stored;
        if (field.type == 'C') {
            stored = std::string(values[i]->substr(0, field.width));
        } else if (field.type == 'N' || field.type == 'F') {
            // Only as many characters as the field is wide are read, after the blanks in front.
            std::string_view text = *values[i];
            text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
            const DecimalText number = scanDecimal(text.substr(0, field.width));
            stored = fitNumeric(roundedText(number, field.decimals), field.width);
        } else {
            continue;
        }
        std::memcpy(&m_records[start + m_offsets[i]], stored.data(), stored.size());
    }
    ++m_count;
}

void DbfTable::appendDelimited(std::string_view text)
{
    std::size_t at = 0;
    std::vector<std::optional<std::string_view>> values;
    std::string cleaned;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", at), text.size());
        std::string_view line = text.substr(at, end - at);
        at = end;
        if (at < text.size()) {
            const char first = text[at++];
            if (at < text.size() && (text[at] == '\r' || text[at] == '\n') && text[at] != first) {
                ++at;
            }
        }
        if (line.find(kEndOfFile) != std::string_view::npos) {
            cleaned.assign(line);
            std::erase(cleaned, kEndOfFile);
            if (cleaned.empty()) {
                continue; // an end-of-file mark is no row
            }
            line = cleaned;
        }
        values.clear();
        std::size_t from = 0;
        while (!line.empty()) {
            const std::size_t valueStart = std::min(line.find_first_not_of(' ', from), line.size());
            std::size_t next = from;
            if (valueStart < line.size() && line[valueStart] == '"') {
                const std::size_t close = std::min(line.find('"', valueStart + 1), line.size());
                values.emplace_back(line.substr(valueStart + 1, close - valueStart - 1));
                next = std::min(close + 1, line.size());
            } else {
                // Unquoted values keep their leading blanks: article numbers may be right-aligned.
                const std::size_t comma = std::min(line.find(',', from), line.size());
                values.emplace_back(line.substr(from, comma - from));
                next = comma;
            }
            const std::size_t comma = line.find(',', next);
            if (comma == std::string_view::npos) {
                break;
            }
            from = comma + 1;
            if (from == line.size()) {
                values.emplace_back(std::string_view());
                break;
            }
        }
        appendRecord(values);
    }
}

} // namespace lengths
