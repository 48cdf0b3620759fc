#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct Date
{
    int year = 1970;
    int month = 1; // 1..12
    int day = 1; // 1..31

    friend bool operator==(const Date&, const Date&) = default;
    friend auto operator<=>(const Date&, const Date&) = default;
};

// Days since 1970-01-01 (proleptic Gregorian); negative before it.
long daysFromCivil(const Date& date);
Date civilFromDays(long days);
Date addDays(const Date& date, long days);
// 0 = Sunday ... 6 = Saturday.
int weekday(const Date& date);
bool isValidDate(const Date& date);

// The date as "YYYY-MM-DD", the program's date format.
std::string formatDate(const Date& date);
// The date a "YYYY-MM-DD" text names; nothing for any other text or a day the calendar lacks.
std::optional<Date> parseDate(std::string_view text);

// A moment as the clocks of the system's time zone show it.
struct LocalTime
{
    Date date;
    int hour = 0;
    int minute = 0;
    int second = 0;
};
LocalTime localTime(std::time_t when);
// The time of day as "HH:MM:SS".
std::string formatClockTime(const LocalTime& time);

// Source of "today". The program uses the system clock; tests pass a clock set to a chosen day.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual Date today() const = 0;
};

class SystemClock final : public Clock
{
public:
    Date today() const override;
};

class FixedClock final : public Clock
{
public:
    explicit FixedClock(Date date)
        : m_date(date)
    {
    }
    Date today() const override { return m_date; }
    void set(Date date) { m_date = date; }

private:
    Date m_date;
};

} // namespace platform
