#pragma once

#include "lengths/TableFile.h"

#include <string>

namespace lengths {

// The table under construction, beside the real one so the final renames stay on one file
// system. Its index takes the same base name, as the table code requires.
inline constexpr const char* kAsideTable = "lgt_nieuw.dbf";

// Putting the table built aside in the place of lgt.dbf and lgt.CDX takes two renames, and a
// process killed between them would leave the new index over the old table. While the renames
// run, a marker file beside the table is held locked; a marker found unlocked means its process
// died in the middle, and finishInterruptedSwap() completes the renames. So whoever opens the
// table finds the old pair or the new one, never a mix.
class TableSwap
{
public:
    explicit TableSwap(const std::string& folder);
    ~TableSwap() { end(); }
    TableSwap(const TableSwap&) = delete;
    TableSwap& operator=(const TableSwap&) = delete;

    // Creates and locks the marker; false with the system's text in errorText().
    bool begin();
    // Unlocks and removes the marker: the renames are done, or undone.
    void end();
    const std::string& errorText() const { return m_marker.errorText(); }

private:
    std::string m_markerPath;
    TableFile m_marker;
};

// Completes the renames of a swap in folder whose process died. False while another process is
// swapping there, or when a rename fails: the table is not to be opened then.
bool finishInterruptedSwap(const std::string& folder);

} // namespace lengths
