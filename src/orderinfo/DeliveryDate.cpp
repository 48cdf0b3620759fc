#include "orderinfo/DeliveryDate.h"

namespace orderinfo {

platform::Date earliestDeliveryDate(const platform::Date& today)
{
    const platform::Date twoDaysOn = platform::addDays(today, 2);
    const int day = platform::weekday(twoDaysOn);
    if (day == 0 || day == 6) {
        return platform::addDays(today, 4);
    }
    return twoDaysOn;
}

bool CHK_LEVERDATUM(const std::optional<platform::Date>& date, const platform::Date& today)
{
    return !date || *date >= earliestDeliveryDate(today);
}

bool isClearedDate(std::string_view text)
{
    return text.find_first_not_of(" -") == std::string_view::npos;
}

} // namespace orderinfo
