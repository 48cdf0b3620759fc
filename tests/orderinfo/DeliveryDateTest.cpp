#include "orderinfo/DeliveryDate.h"

#include <gtest/gtest.h>

using namespace orderinfo;
using platform::Date;

TEST(DeliveryDate, EarliestDateSkipsTheWeekend)
{
    // 2024-03-04 is a Monday; Saturday and Sunday land on Monday and Tuesday.
    const std::pair<Date, Date> cases[] = {
        { { 2024, 3, 4 }, { 2024, 3, 6 } },
        { { 2024, 3, 5 }, { 2024, 3, 7 } },
        { { 2024, 3, 6 }, { 2024, 3, 8 } },
        { { 2024, 3, 7 }, { 2024, 3, 11 } },
        { { 2024, 3, 8 }, { 2024, 3, 12 } },
        { { 2024, 3, 9 }, { 2024, 3, 11 } },
        { { 2024, 3, 10 }, { 2024, 3, 12 } },
        { { 2024, 12, 27 }, { 2024, 12, 31 } },
    };
    for (const auto& [today, expected] : cases) {
        SCOPED_TRACE(platform::formatDate(today));
        EXPECT_EQ(earliestDeliveryDate(today), expected);
    }
}

TEST(DeliveryDate, RefusesOnlyAGivenDateBeforeTheEarliest)
{
    const Date thursday { 2024, 3, 7 };
    EXPECT_FALSE(CHK_LEVERDATUM(Date { 2024, 3, 10 }, thursday)); // the Sunday before Monday
    EXPECT_TRUE(CHK_LEVERDATUM(Date { 2024, 3, 11 }, thursday));
    EXPECT_TRUE(CHK_LEVERDATUM(Date { 2024, 3, 16 }, thursday));
    EXPECT_TRUE(CHK_LEVERDATUM(std::nullopt, thursday));
}
