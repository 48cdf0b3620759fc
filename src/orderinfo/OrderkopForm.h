#pragma once

#include "orderinfo/Orderkop.h"
#include "platform/Clock.h"
#include "platform/Messages.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orderinfo {

// The rules of the extra order information dialog over its twelve fields. Here the fields hold
// UTF-8, as the dialog's controls give them; the file's Windows-1252 bytes are met only when it
// is read or written.

// The names of the twelve fields in file order, as the dialog labels them; messages name a
// field by them.
using FieldNames = std::array<std::string, kOrderkopLineCount>;

// True when the eleven text fields are empty or blank and the date field is cleared.
bool isEmptyForm(const Orderkop& form);

// The messages of the input checks that refuse the form, in the order they are shown: the
// delivery date (whose value is empty unless its text is a valid date), the Dutch postcode,
// the country code, then a date text that is neither cleared nor a real calendar date.
std::vector<std::string> inputFaults(const Orderkop& form, const platform::Date& today);

// The country a stored form without one takes from the branch: "NL" for "NED", "BE" for "BEL".
std::string countryOfBranch(const std::string& filiaal);

// What the dialog opens with: the earliest delivery date, then the stored form read back by
// position, its empty country taken from the branch. A file that cannot be read is reported
// and leaves the defaults.
Orderkop openForm(const std::string& workFolder, const std::string& filiaal, const platform::Date& today,
    platform::Messages& messages);

// Checks the form and keeps it: a form with data replaces orderkop.txt, an empty one deletes
// it. Every refusal is shown (a control character or a character Windows-1252 cannot carry is
// refused naming its field), and a refused form writes and deletes nothing. Returns false when
// the form was refused or the file could not be written or deleted (reported with the OS text),
// so the dialog stays open with the input.
bool saveForm(const Orderkop& form, const FieldNames& names, const std::string& workFolder, const platform::Date& today,
    platform::Messages& messages);

// Deletes orderkop.txt when it exists; false after reporting a failure.
bool deleteForm(const std::string& workFolder, platform::Messages& messages);

} // namespace orderinfo
