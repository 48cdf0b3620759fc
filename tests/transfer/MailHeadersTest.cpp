#include "transfer/MailHeaders.h"

#include <gtest/gtest.h>

TEST(MailHeaders, DatesAreWrittenInUtc)
{
    const std::pair<std::time_t, const char*> cases[] = {
        { 0, "Thu, 01 Jan 1970 00:00:00 +0000" },
        { 951782400, "Tue, 29 Feb 2000 00:00:00 +0000" },
        { 1796704496, "Tue, 08 Dec 2026 04:34:56 +0000" },
        { 4102444799, "Thu, 31 Dec 2099 23:59:59 +0000" },
    };
    for (const auto& [time, expected] : cases) {
        SCOPED_TRACE(expected);
        EXPECT_EQ(transfer::mail::date(time), expected);
    }
}
