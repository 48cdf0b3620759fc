#include "platform/Clock.h"

#include <gtest/gtest.h>

using platform::Date;

TEST(Clock, CountsDaysAcrossLeapYearsAndCenturies)
{
    EXPECT_EQ(platform::daysFromCivil({ 1970, 1, 1 }), 0);
    EXPECT_EQ(platform::addDays({ 2024, 2, 28 }, 1), (Date { 2024, 2, 29 }));
    EXPECT_EQ(platform::addDays({ 2100, 2, 28 }, 1), (Date { 2100, 3, 1 }));
    EXPECT_EQ(platform::addDays({ 2026, 12, 30 }, 4), (Date { 2027, 1, 3 }));
    for (long day = -800000; day < 800000; day += 997) {
        ASSERT_EQ(platform::daysFromCivil(platform::civilFromDays(day)), day);
    }
}

TEST(Clock, KnowsTheWeekday)
{
    EXPECT_EQ(platform::weekday({ 1970, 1, 1 }), 4); // Thursday
    EXPECT_EQ(platform::weekday({ 2024, 3, 5 }), 2); // Tuesday
    EXPECT_EQ(platform::weekday({ 2026, 12, 6 }), 0); // Sunday
    EXPECT_EQ(platform::weekday({ 1969, 12, 31 }), 3);
}

TEST(Clock, ValidatesAndFormatsDates)
{
    EXPECT_TRUE(platform::isValidDate({ 2024, 2, 29 }));
    EXPECT_FALSE(platform::isValidDate({ 2023, 2, 29 }));
    EXPECT_FALSE(platform::isValidDate({ 2023, 13, 1 }));
    EXPECT_FALSE(platform::isValidDate({ 2023, 4, 31 }));
    EXPECT_EQ(platform::formatDate({ 2024, 3, 5 }), "2024-03-05");
}
