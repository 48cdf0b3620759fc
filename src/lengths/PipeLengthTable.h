#pragma once

#include "lengths/CdxIndex.h"
#include "lengths/DbfTable.h"
#include "lengths/TableFile.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lengths {

enum class OpenMode {
    SharedReadOnly, // look-ups: any number of readers at once
    Exclusive, // rebuild: read and write, nobody else may have the files open
};

enum class OpenStatus {
    Opened,
    InUse, // another process (or another open here) holds the table or its index
    Failed, // missing, unreadable, or not a valid table and index
};

// The pipe-length table: lgt.dbf with its compound index lgt.CDX beside it (same base name,
// extension exactly ".CDX"). Both files are locked for as long as the table is open, shared or
// exclusive, the way xBase engines lock them, so they and we see each other.
//
// Every operation returns success or failure; none shows a message. errorText() says what
// went wrong last (with the operating system's text where a file operation failed).
class PipeLengthTable
{
public:
    PipeLengthTable();
    ~PipeLengthTable(); // closes
    PipeLengthTable(const PipeLengthTable&) = delete;
    PipeLengthTable& operator=(const PipeLengthTable&) = delete;

    // The index file that belongs to the table: same folder and base name, extension ".CDX".
    static std::string indexPathFor(const std::string& tablePath);
    // The message for a table that cannot be opened: folder + separator +
    // "lgt.dbf ERROR of database in gebruik".
    static std::string inUseText(const std::string& programFolder);
    // The field layout of an existing table, read without locking it; nothing when it cannot
    // be read. With create() it builds a new table aside with the old table's layout.
    static std::optional<std::vector<DbfField>> fieldsOf(const std::string& tablePath);

    // Opens the table and, when it exists, its index. Shared read-only opens also need a valid
    // index with the tag MT_ARTNR, which becomes the controlling order.
    OpenStatus open(const std::string& tablePath, OpenMode mode);
    // Writes a new, empty table (and no index) at tablePath, replacing any file there, and
    // opens it exclusively. Fails when the layout has no character field first.
    bool create(const std::string& tablePath, const std::vector<DbfField>& fields = DbfTable::standardFields());
    // Closes both files; after an exclusive open it first writes what is pending (the header,
    // an index left behind by appended rows). False when that write failed.
    bool close();

    bool isOpen() const { return m_open; }
    bool isExclusive() const { return m_open && m_mode == OpenMode::Exclusive; }
    const std::string& tablePath() const { return m_tablePath; }
    const std::string& errorText() const { return m_error; }

    // Rebuild operations; each needs an exclusive open and writes through to the files.
    // zap removes every row, pack the deleted ones; both empty the index's tags.
    bool zap();
    bool pack();
    // Appends one row per line of the comma-separated file: first value to the first field
    // (MT_ARTNR) unchanged, leading blanks kept, cut to the width; second to the second
    // (MT_LENGT); values in double quotes lose the quotes. The index is not touched: build it
    // afterwards with createOrder.
    bool appendDelimited(const std::string& csvPath);
    // Builds the order from all rows into the index file (only the table's own index,
    // indexPathFor(tablePath), is supported), replacing its old content. The key expression
    // must name a character field. The new order becomes the controlling one.
    bool createOrder(const std::string& orderName, const std::string& indexPath, const std::string& keyExpression);
    // Writes the header (today's date, the true row count) and flushes both files to disk.
    bool commit();
    // Makes the order of the index the controlling one; fails when the index has no such tag.
    bool setOrder(const std::string& orderName, const std::string& indexPath);

    // Rows, counted from 1.
    std::uint32_t recordCount() const;
    const DbfTable* table() const { return m_table ? &*m_table : nullptr; }

    // Goes to the first row in index order and soft-seeks the text in the controlling order: a
    // key matches when it begins with the whole text (cut to the key width, otherwise unchanged);
    // the first match in key order wins. A miss reports the next higher key, or end of file.
    SeekResult seek(std::string_view text);
    // The number in the named numeric field of the row; nothing when it is out of range or
    // holds no number.
    std::optional<double> numericValue(std::uint32_t record, std::string_view field) const;

private:
    bool fail(std::string text);
    bool requireExclusive(const char* operation);
    bool writeTable();
    bool rebuildIndex();
    bool writeIndex(const std::string& orderName, const std::string& keyExpression, int field);

    bool m_open = false;
    OpenMode m_mode = OpenMode::SharedReadOnly;
    std::string m_tablePath;
    std::string m_error;
    TableFile m_tableFile;
    TableFile m_indexFile;
    std::optional<DbfTable> m_table;
    std::unique_ptr<CdxIndex> m_index;
    std::optional<CdxTag> m_order; // the controlling order
    bool m_tableDirty = false; // header not yet written since the last change
    bool m_indexStale = false; // rows appended since the index was built
};

} // namespace lengths
