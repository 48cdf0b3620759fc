#include "lengths/TableSwap.h"

#include "lengths/PipeLengthTable.h"
#include "platform/Files.h"
#include "platform/Paths.h"

#include <utility>

namespace lengths {

namespace {

std::string markerPath(const std::string& folder)
{
    return platform::joinPath(folder, "lgt_wissel.lck");
}

} // namespace

TableSwap::TableSwap(const std::string& folder)
    : m_markerPath(markerPath(folder))
{
}

bool TableSwap::begin()
{
    return m_marker.open(m_markerPath, true, true) == TableFile::Result::Opened;
}

void TableSwap::end()
{
    if (!m_marker.isOpen()) {
        return;
    }
    // Closed before it goes: Windows removes no file that is open.
    m_marker.close();
    platform::removeFile(m_markerPath);
}

bool finishInterruptedSwap(const std::string& folder)
{
    const std::string marker = markerPath(folder);
    if (!platform::fileExists(marker)) {
        return true;
    }
    TableFile lock;
    const TableFile::Result locked = lock.open(marker, true);
    if (locked == TableFile::Result::Missing) {
        return true; // finished meanwhile
    }
    if (locked != TableFile::Result::Opened) {
        return false;
    }
    // The marker is made only once the pair aside is complete, so whatever of it is left goes
    // in, in the swap's own order: index, then table.
    const std::string aside = platform::joinPath(folder, kAsideTable);
    const std::string table = platform::joinPath(folder, "lgt.dbf");
    const std::pair<std::string, std::string> renames[]
        = { { PipeLengthTable::indexPathFor(aside), PipeLengthTable::indexPathFor(table) }, { aside, table } };
    for (const auto& [from, to] : renames) {
        if (platform::fileExists(from) && !platform::renameFile(from, to)) {
            return false;
        }
    }
    lock.close();
    platform::removeFile(marker);
    return true;
}

} // namespace lengths
