#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lengths {

// The published pipe-length list as it was downloaded: a version line "# Versie --->" plus a
// 10-character version, then one "article,length" row per line.
struct UpdateList
{
    enum class Fault {
        None,
        InvalidVersionLine, // the first line does not start with the marker
        MissingComma, // a row without exactly one comma (a blank line included)
        // A row the table must not take: a length that is no number or lies outside
        // kShortestPipe..kLongestPipe, an article longer than its field, or a row past kMaxRows.
        Implausible,
    };

    Fault fault = Fault::None;
    // The version of an accepted version line, always 10 characters (blank-filled when the
    // line held fewer).
    std::string version;
    // The rows accepted before any fault, in their order, each followed by CR LF.
    std::string csv;
    std::size_t rows = 0;
};

inline constexpr std::string_view kVersionMarker = "# Versie --->";
inline constexpr std::size_t kVersionLength = 10;

// The list comes over plain HTTP and its lengths divide every metre ordered: a length of 0.001
// would turn one metre into a thousand pipes. No pipe the supplier sells lies outside these
// bounds, and no list of theirs comes near this many rows.
inline constexpr double kShortestPipe = 0.5;
inline constexpr double kLongestPipe = 25.0;
inline constexpr std::size_t kMaxRows = 100'000;

// Checks the downloaded bytes line by line (CR LF, LF or CR ends a line; the last line needs
// none) and stops at the first refused line. articleWidth is the width of the table's article
// field; 0 leaves the article length unchecked.
UpdateList parseUpdateList(std::string_view bytes, std::size_t articleWidth = 0);

// The first line of the text, without its line end.
std::string_view firstLine(std::string_view text);

// True when the line starts with the version marker.
bool isVersionLine(std::string_view line);

// Characters 14 to 23 of a version line, cut or filled up with blanks to exactly 10 characters,
// so lgt_versie.txt always keeps its date at the same place.
std::string versionOf(std::string_view line);

} // namespace lengths
