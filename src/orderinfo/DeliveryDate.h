#pragma once

#include "platform/Clock.h"

#include <optional>
#include <string_view>

namespace orderinfo {

// The earliest delivery date: today + 2 days, or + 4 when today + 2 is a Saturday or Sunday.
// Also the default delivery date of a conversion.
platform::Date earliestDeliveryDate(const platform::Date& today);

// False only when the date is given and lies before the earliest delivery date; working days
// are not checked.
bool CHK_LEVERDATUM(const std::optional<platform::Date>& date, const platform::Date& today);

// True when a date text holds nothing but blanks and hyphens, as the cleared date mask
// "    -  -  " does: no delivery date was given.
bool isClearedDate(std::string_view text);

} // namespace orderinfo
