#pragma once

#include <string>

namespace platform {

// The program's text conversion defaults: dates "YYYY-MM-DD" (formatDate in Clock.h), decimal
// separator ",", 3 decimals. They are explicit helpers rather than a process-wide locale, so a
// library that formats numbers for a file or a wire never picks them up by accident.
inline constexpr char kDecimalSeparator = ',';
inline constexpr int kDecimals = 3;

// The number with the given decimals and separator, rounded to nearest, no
// thousands separators: formatNumber(2.5) gives "2,500".
std::string formatNumber(double value, int decimals = kDecimals, char separator = kDecimalSeparator);

} // namespace platform
