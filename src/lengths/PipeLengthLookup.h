#pragma once

#include "convert/PipeLengths.h"
#include "lengths/PipeLengthTable.h"
#include "platform/Messages.h"

#include <optional>
#include <string>

namespace lengths {

// The pipe-length table as the metre conversion sees it: opened shared and read-only for one
// conversion, searched through its MT_ARTNR order.
class PipeLengthLookup final : public convert::PipeLengths
{
public:
    // Opens lgt.dbf (with lgt.CDX) in the program folder. When it is in use or cannot be
    // opened, shows the error box folder + separator + "lgt.dbf ERROR of database in gebruik"
    // and returns false; look-ups then find nothing.
    bool open(const std::string& programFolder, platform::Messages& messages);
    // As open(), for a table at any path; no message.
    OpenStatus openTable(const std::string& tablePath);
    void close();
    bool isOpen() const { return m_table.isOpen(); }

    // MT_LENGT of the first row in key order whose MT_ARTNR begins with the key. A row whose
    // length is zero, negative or no number cannot turn metres into pipes and counts as not
    // found, as does everything while the table is not open. A hit on a row that does not hold
    // the key means table and index do not belong together: it is reported once (after open())
    // as a damaged table, and nothing is found in it any more.
    std::optional<double> pipeLength(const std::string& key) override;

private:
    PipeLengthTable m_table;
    platform::Messages* m_messages = nullptr;
    std::string m_folder;
    bool m_damaged = false;
};

} // namespace lengths
