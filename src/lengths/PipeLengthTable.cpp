#include "lengths/PipeLengthTable.h"

#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Paths.h"

#include <filesystem>

namespace lengths {

namespace {

constexpr const char* kLookupOrder = "MT_ARTNR";

std::string trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

bool samePath(const std::string& a, const std::string& b)
{
    std::error_code error;
    const auto left = std::filesystem::weakly_canonical(platform::toFsPath(a), error);
    if (error) {
        return a == b;
    }
    const auto right = std::filesystem::weakly_canonical(platform::toFsPath(b), error);
    return error ? a == b : left == right;
}

// The layout look-ups rely on: the article number (character) first, its length (numeric)
// second; further fields are carried along untouched.
bool hasLookupLayout(const DbfTable& table)
{
    const auto& fields = table.fields();
    return fields.size() >= 2 && fields[0].type == 'C' && fields[1].type == 'N';
}

} // namespace

PipeLengthTable::PipeLengthTable() = default;

PipeLengthTable::~PipeLengthTable()
{
    close();
}

std::string PipeLengthTable::indexPathFor(const std::string& tablePath)
{
    std::filesystem::path path = platform::toFsPath(tablePath);
    path.replace_extension(".CDX");
    return platform::fromFsPath(path);
}

std::string PipeLengthTable::inUseText(const std::string& programFolder)
{
    std::string text = programFolder;
    if (text.empty() || text.back() != platform::separator()) {
        text += platform::separator();
    }
    return text + "lgt.dbf ERROR of database in gebruik";
}

std::optional<std::vector<DbfField>> PipeLengthTable::fieldsOf(const std::string& tablePath)
{
    auto bytes = platform::readFile(tablePath);
    if (!bytes) {
        return std::nullopt;
    }
    const auto table = DbfTable::parse(std::move(*bytes));
    if (!table) {
        return std::nullopt;
    }
    return table->fields();
}

bool PipeLengthTable::fail(std::string text)
{
    m_error = std::move(text);
    return false;
}

OpenStatus PipeLengthTable::open(const std::string& tablePath, OpenMode mode)
{
    close();
    m_error.clear();
    const bool exclusive = mode == OpenMode::Exclusive;
    const auto refuse = [this](OpenStatus status, std::string text) {
        close();
        m_error = std::move(text);
        return status;
    };

    switch (m_tableFile.open(tablePath, exclusive)) {
    case TableFile::Result::Opened:
        break;
    case TableFile::Result::Locked:
        return refuse(OpenStatus::InUse, tablePath + ": " + m_tableFile.errorText());
    default:
        return refuse(OpenStatus::Failed, tablePath + ": " + m_tableFile.errorText());
    }
    auto tableBytes = m_tableFile.readAll();
    if (!tableBytes) {
        return refuse(OpenStatus::Failed, tablePath + ": " + m_tableFile.errorText());
    }
    m_tablePath = tablePath;
    m_table = DbfTable::parse(std::move(*tableBytes));
    if (!m_table || !hasLookupLayout(*m_table)) {
        return refuse(OpenStatus::Failed, tablePath + ": not a pipe-length table");
    }

    // The index is locked like the table: an engine that has only the index open must still
    // keep a rebuild out.
    const std::string indexPath = indexPathFor(tablePath);
    switch (m_indexFile.open(indexPath, exclusive)) {
    case TableFile::Result::Opened:
        break;
    case TableFile::Result::Locked:
        return refuse(OpenStatus::InUse, indexPath + ": " + m_indexFile.errorText());
    case TableFile::Result::Missing:
        if (!exclusive) {
            return refuse(OpenStatus::Failed, indexPath + ": " + m_indexFile.errorText());
        }
        break;
    case TableFile::Result::Failed:
        return refuse(OpenStatus::Failed, indexPath + ": " + m_indexFile.errorText());
    }
    if (m_indexFile.isOpen()) {
        auto indexBytes = m_indexFile.readAll();
        if (!indexBytes) {
            return refuse(OpenStatus::Failed, indexPath + ": " + m_indexFile.errorText());
        }
        m_index = CdxIndex::parse(std::move(*indexBytes));
    }
    // A rebuild replaces a damaged index anyway; a look-up cannot do without it.
    if (!exclusive && (!m_index || !setOrder(kLookupOrder, indexPath))) {
        return refuse(OpenStatus::Failed, indexPath + ": no usable order " + kLookupOrder);
    }
    m_mode = mode;
    m_open = true;
    return OpenStatus::Opened;
}

bool PipeLengthTable::create(const std::string& tablePath, const std::vector<DbfField>& fields)
{
    close();
    m_error.clear();
    auto table = DbfTable::create(fields);
    if (!table || !hasLookupLayout(*table)) {
        return fail(tablePath + ": unusable field layout");
    }
    const std::string bytes = table->serialize(platform::SystemClock().today());
    const platform::WriteResult written = platform::replaceFile(tablePath, bytes);
    if (!written) {
        return fail(tablePath + ": " + written.osError);
    }
    // An index left beside the path belongs to another table.
    const std::string indexPath = indexPathFor(tablePath);
    std::string error;
    if (platform::fileExists(indexPath) && !platform::removeFile(indexPath, &error)) {
        return fail(indexPath + ": " + error);
    }
    switch (open(tablePath, OpenMode::Exclusive)) {
    case OpenStatus::Opened:
        return true;
    default:
        return false;
    }
}

bool PipeLengthTable::close()
{
    bool ok = true;
    if (m_open && m_mode == OpenMode::Exclusive) {
        if (m_indexStale) {
            ok = rebuildIndex() && ok;
        }
        if (m_tableDirty) {
            ok = writeTable() && ok;
        }
    }
    m_tableFile.close();
    m_indexFile.close();
    m_table.reset();
    m_index.reset();
    m_order.reset();
    m_open = false;
    m_tableDirty = false;
    m_indexStale = false;
    return ok;
}

bool PipeLengthTable::requireExclusive(const char* operation)
{
    if (!isExclusive()) {
        return fail(std::string(operation) + ": the table is not open exclusively");
    }
    return true;
}

bool PipeLengthTable::writeTable()
{
    if (!m_tableFile.write(m_table->serialize(platform::SystemClock().today()))) {
        return fail(m_tablePath + ": " + m_tableFile.errorText());
    }
    m_tableDirty = false;
    return true;
}

bool PipeLengthTable::writeIndex(const std::string& orderName, const std::string& keyExpression, int field)
{
    const std::uint32_t count = m_table->recordCount();
    const std::uint8_t width = m_table->fields()[field].width;
    std::string keys;
    keys.reserve(static_cast<std::size_t>(count) * width);
    for (std::uint32_t record = 1; record <= count; ++record) {
        keys += *m_table->fieldBytes(record, field);
    }
    std::string bytes = CdxIndex::build(orderName, keyExpression, width, keys);
    const std::string indexPath = indexPathFor(m_tablePath);
    if (!m_indexFile.isOpen()) {
        const TableFile::Result opened = m_indexFile.open(indexPath, true, true);
        if (opened != TableFile::Result::Opened) {
            return fail(indexPath + ": " + m_indexFile.errorText());
        }
    }
    if (!m_indexFile.write(bytes)) {
        return fail(indexPath + ": " + m_indexFile.errorText());
    }
    m_index = CdxIndex::parse(std::move(bytes));
    m_order.reset();
    m_indexStale = false;
    if (!m_table->hasProductionIndex()) {
        m_table->setProductionIndex(true);
        m_tableDirty = true;
    }
    return true;
}

// Zap, pack and appends leave the index describing rows that are no longer there; like the
// engines, rebuild the order it holds from the rows as they are now.
bool PipeLengthTable::rebuildIndex()
{
    if (!m_index) {
        m_indexStale = false;
        return true;
    }
    const std::vector<CdxTag> tags = m_index->tags();
    for (const CdxTag& tag : tags) {
        const int field = m_table->fieldIndex(trimmed(tag.keyExpression));
        if (field >= 0 && m_table->fields()[field].type == 'C') {
            const bool wasControlling = m_order.has_value();
            if (!writeIndex(tag.name, trimmed(tag.keyExpression), field)) {
                return false;
            }
            if (wasControlling) {
                m_order = m_index->tag(tag.name);
            }
            return true;
        }
    }
    return fail(indexPathFor(m_tablePath) + ": no order that can be rebuilt");
}

bool PipeLengthTable::zap()
{
    if (!requireExclusive("zap")) {
        return false;
    }
    m_table->zap();
    return writeTable() && rebuildIndex();
}

bool PipeLengthTable::pack()
{
    if (!requireExclusive("pack")) {
        return false;
    }
    m_table->pack();
    return writeTable() && rebuildIndex();
}

bool PipeLengthTable::appendDelimited(const std::string& csvPath)
{
    if (!requireExclusive("append")) {
        return false;
    }
    std::string error;
    const auto text = platform::readFile(csvPath, &error);
    if (!text) {
        return fail(csvPath + ": " + error);
    }
    m_table->appendDelimited(*text);
    m_indexStale = m_index != nullptr;
    return writeTable();
}

bool PipeLengthTable::createOrder(
    const std::string& orderName, const std::string& indexPath, const std::string& keyExpression)
{
    if (!requireExclusive("create order")) {
        return false;
    }
    if (!samePath(indexPath, indexPathFor(m_tablePath))) {
        return fail(indexPath + ": only the table's own index can be created");
    }
    const std::string name = trimmed(orderName);
    if (name.empty() || name.size() > 10) {
        return fail(orderName + ": not an order name");
    }
    const std::string expression = trimmed(keyExpression);
    const int field = m_table->fieldIndex(expression);
    if (field < 0 || m_table->fields()[field].type != 'C') {
        return fail(keyExpression + ": not a character field of the table");
    }
    if (!writeIndex(name, expression, field)) {
        return false;
    }
    // As with INDEX ON, the new order becomes the controlling one.
    m_order = m_index->tag(name);
    return true;
}

bool PipeLengthTable::commit()
{
    if (!requireExclusive("commit")) {
        return false;
    }
    if (m_indexStale && !rebuildIndex()) {
        return false;
    }
    if (!writeTable()) {
        return false;
    }
    if (!m_tableFile.sync()) {
        return fail(m_tablePath + ": " + m_tableFile.errorText());
    }
    if (m_indexFile.isOpen() && !m_indexFile.sync()) {
        return fail(indexPathFor(m_tablePath) + ": " + m_indexFile.errorText());
    }
    return true;
}

bool PipeLengthTable::setOrder(const std::string& orderName, const std::string& indexPath)
{
    if (!m_index || !samePath(indexPath, indexPathFor(m_tablePath))) {
        return fail(indexPath + ": no index open");
    }
    auto tag = m_index->tag(orderName);
    // Only ascending, unfiltered orders are searched here.
    if (!tag || tag->descending || tag->hasFilter) {
        return fail(orderName + ": no such order in " + indexPath);
    }
    m_order = std::move(tag);
    return true;
}

std::uint32_t PipeLengthTable::recordCount() const
{
    return m_table ? m_table->recordCount() : 0;
}

SeekResult PipeLengthTable::seek(std::string_view text)
{
    if (!m_open || !m_index || !m_order || m_indexStale) {
        return {};
    }
    SeekResult result = m_index->seek(*m_order, text);
    // A key that points past the rows is damage, not a hit.
    if (!result.eof && (result.record == 0 || result.record > m_table->recordCount())) {
        return {};
    }
    return result;
}

std::optional<double> PipeLengthTable::numericValue(std::uint32_t record, std::string_view field) const
{
    if (!m_table) {
        return std::nullopt;
    }
    return m_table->numericValue(record, m_table->fieldIndex(field));
}

} // namespace lengths
