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
    return true;
}

OpenStatus PipeLengthLookup::openTable(const std::string& tablePath)
{
    return m_table.open(tablePath, OpenMode::SharedReadOnly);
}

void PipeLengthLookup::close()
{
    m_table.close();
}

std::optional<double> PipeLengthLookup::pipeLength(const std::string& key)
{
    const SeekResult hit = m_table.seek(key);
    if (!hit.found) {
        return std::nullopt;
    }
    const auto length = m_table.table()->numericValue(hit.record, 1);
    if (!length || !(*length > 0)) {
        return std::nullopt;
    }
    return length;
}

} // namespace lengths
