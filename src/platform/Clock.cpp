#include "platform/Clock.h"

#include <cstdio>
#include <ctime>

namespace platform {

// Howard Hinnant's days_from_civil / civil_from_days: exact for every Gregorian date.
long daysFromCivil(const Date& date)
{
    const long y = date.month <= 2 ? date.year - 1 : date.year;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long mp = date.month > 2 ? date.month - 3 : date.month + 9;
    const long doy = (153 * mp + 2) / 5 + date.day - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

Date civilFromDays(long days)
{
    days += 719468;
    const long era = (days >= 0 ? days : days - 146096) / 146097;
    const long doe = days - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    Date date;
    date.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    date.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    date.year = static_cast<int>(yoe + era * 400 + (date.month <= 2 ? 1 : 0));
    return date;
}

Date addDays(const Date& date, long days)
{
    return civilFromDays(daysFromCivil(date) + days);
}

int weekday(const Date& date)
{
    const long days = daysFromCivil(date);
    return static_cast<int>(days >= -4 ? (days + 4) % 7 : (days + 5) % 7 + 6);
}

bool isValidDate(const Date& date)
{
    if (date.month < 1 || date.month > 12 || date.day < 1 || date.year < 1 || date.year > 9999) {
        return false;
    }
    return civilFromDays(daysFromCivil(date)) == date;
}

std::string formatDate(const Date& date)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

std::string formatClockTime(const LocalTime& time)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.hour, time.minute, time.second);
    return text;
}

namespace {

// The digits of text as a number; nothing when any character is not a digit.
std::optional<int> digits(std::string_view text)
{
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

std::optional<Date> parseDate(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    const auto year = digits(text.substr(0, 4));
    const auto month = digits(text.substr(5, 2));
    const auto day = digits(text.substr(8, 2));
    if (!year || !month || !day) {
        return std::nullopt;
    }
    const Date date { *year, *month, *day };
    if (!isValidDate(date)) {
        return std::nullopt;
    }
    return date;
}

LocalTime localTime(std::time_t when)
{
    std::tm local {};
#ifdef _WIN32
    localtime_s(&local, &when);
#else
    localtime_r(&when, &local);
#endif
    return { Date { local.tm_year + 1900, local.tm_mon + 1, local.tm_mday }, local.tm_hour, local.tm_min,
        local.tm_sec };
}

Date SystemClock::today() const
{
    return localTime(std::time(nullptr)).date;
}

} // namespace platform
