#include "platform/TextFormat.h"

#include <cmath>
#include <cstdio>

namespace platform {

std::string formatNumber(double value, int decimals, char separator)
{
    if (decimals < 0) {
        decimals = 0;
    }
    char text[512];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string result(text);
    if (const auto point = result.find('.'); point != std::string::npos) {
        result[point] = separator;
    }
    return result;
}

} // namespace platform
