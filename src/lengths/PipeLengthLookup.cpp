#include "lengths/PipeLengthLookup.h"

#include "lengths/TableSwap.h"
#include "platform/Paths.h"

namespace lengths {

bool PipeLengthLookup::open(const std::string& programFolder, platform::Messages& messages)
{
    const std::string folder = platform::dataFolder(programFolder);
    // An update killed while it put the new table in place leaves the rest of that to us.
    if (!finishInterruptedSwap(folder) || openTable(platform::joinPath(folder, "lgt.dbf")) != OpenStatus::Opened) {
        messages.error(PipeLengthTable::inUseText(folder));
        return false;
    }
    m_messages = &messages;
    m_folder = folder;
    return true;
}

OpenStatus PipeLengthLookup::openTable(const std::string& tablePath)
{
    m_damaged = false;
    return m_table.open(tablePath, OpenMode::SharedReadOnly);
}

void PipeLengthLookup::close()
{
    m_table.close();
    m_messages = nullptr;
}

std::optional<double> PipeLengthLookup::pipeLength(const std::string& key)
{
    if (m_damaged) {
        return std::nullopt;
    }
    const SeekResult hit = m_table.seek(key);
    if (!hit.found) {
        return std::nullopt;
    }
    // An index that does not belong to the table points at another article's row, whose
    // length would divide the metres of this one.
    const auto article = m_table.table()->fieldBytes(hit.record, 0);
    if (!article || !article->starts_with(std::string_view(key).substr(0, article->size()))) {
        m_damaged = true;
        if (m_messages != nullptr) {
            m_messages->error(platform::joinPath(m_folder, "lgt.dbf")
                + " en lgt.CDX zijn beschadigd: de index hoort niet bij de tabel. Buislengten worden niet omgerekend.");
        }
        return std::nullopt;
    }
    const auto length = m_table.table()->numericValue(hit.record, 1);
    if (!length || !(*length > 0)) {
        return std::nullopt;
    }
    return length;
}

} // namespace lengths
