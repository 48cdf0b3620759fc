#pragma once

#include "platform/Files.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orderinfo {

// What the date field holds when it is cleared; written as line 6 of an empty date.
inline constexpr std::string_view kEmptyDateText = "    -  -  ";

// The extra order information kept in orderkop.txt, one field per line, as the dialog's
// controls hold them: neither trimmed nor filled up.
struct Orderkop
{
    std::string contract;
    std::string orderReference;
    std::string reference1;
    std::string reference2;
    std::string telephone;
    std::string deliveryDate; // "YYYY-MM-DD" or kEmptyDateText
    std::string name1;
    std::string name2;
    std::string street;
    std::string postcode;
    std::string town;
    std::string country;
};

inline constexpr std::size_t kOrderkopLineCount = 12;

// The fields in the order of the file's lines.
std::array<std::string*, kOrderkopLineCount> orderkopFields(Orderkop& fields);
std::array<const std::string*, kOrderkopLineCount> orderkopFields(const Orderkop& fields);

// The lines of the file's bytes, without their ends. A line ends at LF, with a CR before it
// dropped; a last line without an end counts, an end at the very end adds no empty line.
std::vector<std::string> orderkopLines(std::string_view bytes);

// The fields by line position; a missing line gives an empty field, lines after 12 are ignored.
Orderkop orderkopFromLines(const std::vector<std::string>& lines);

// The file's bytes: the twelve fields, each ended by CR LF.
std::string orderkopText(const Orderkop& fields);

// The file's path in the work folder.
std::string orderkopPath(const std::string& workFolder);

// Where a conversion sets the file aside until the webshop has accepted the order that carries
// it (orderkop_verwerkt.txt in the work folder).
std::string orderkopAsidePath(const std::string& workFolder);
// The order went: the file set aside is deleted. False when it is still there.
bool dropSetAsideOrderkop(const std::string& workFolder);
// The order did not go: the file set aside becomes orderkop.txt again, unless the user has
// saved a newer orderkop.txt meanwhile, which then stays. False when it could not be moved back.
bool restoreSetAsideOrderkop(const std::string& workFolder);

// Replaces the file at path with the twelve lines, through a temporary file so that a failure
// leaves the old file whole; the result carries the OS error text.
platform::WriteResult writeOrderkop(const std::string& path, const Orderkop& fields);

} // namespace orderinfo
