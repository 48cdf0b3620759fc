#include "lengths/UpdateCheck.h"

#include "RecordingMessages.h"
#include "UpdateTestSupport.h"

#include <gtest/gtest.h>

using lengths::UpdateCheck;
using testing_support::RecordingMessages;
using update_test::DownloadServer;
using update_test::ProgramFolder;

namespace {

const char* const kNotice
    = "Er zijn nieuwe updates van buislengten beschikbaar, zie menu Instellingen, Schema, Update buislengten";
const char* const kRequest = "GET /be/transvo/lgt.csv\tHTTP";

struct CheckRun
{
    UpdateCheck::Outcome outcome;
    RecordingMessages messages;
};

CheckRun runCheck(const ProgramFolder& folder, const std::string& host, platform::Date today)
{
    CheckRun run {};
    platform::FixedClock clock(today);
    run.outcome = UpdateCheck(folder.path(), host, clock, run.messages).run();
    return run;
}

} // namespace

TEST(UpdateCheck, IsDueFromTheThirtyFirstDayOrWithoutAUsableDate)
{
    const platform::Date last { 2026, 11, 1 };
    const std::pair<platform::Date, bool> cases[] = {
        { { 2026, 11, 1 }, false }, { { 2026, 12, 1 }, false }, // day 30
        { { 2026, 12, 2 }, true }, // day 31
        { { 2027, 6, 1 }, true }, { { 2026, 10, 31 }, true }, // recorded after today
    };
    for (const auto& [today, due] : cases) {
        SCOPED_TRACE(platform::formatDate(today));
        EXPECT_EQ(UpdateCheck::isDue(last, today), due);
    }
    EXPECT_TRUE(UpdateCheck::isDue(std::nullopt, { 2026, 11, 1 }));
}

TEST(UpdateCheck, FetchesOnlyWhenTheRecordedDateIsOverThirtyDaysAgoOrUnusable)
{
    DownloadServer server("good");
    ASSERT_TRUE(server.isRunning()) << server.log();
    struct Case
    {
        const char* versie; // nullptr: no lgt_versie.txt
        platform::Date today;
        bool fetches;
    };
    const Case cases[] = {
        { "2026-11-30 2026-11-01", { 2026, 12, 1 }, false },
        { "2026-11-30 2026-11-01", { 2026, 12, 2 }, true },
        { nullptr, { 2026, 12, 1 }, true },
        { "2026-11-30", { 2026, 12, 1 }, true },
        { "2026-11-30 2026-11-31", { 2026, 12, 1 }, true },
        { "2026-11-30 01-11-2026", { 2026, 12, 1 }, true },
    };
    size_t requests = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.versie ? c.versie : "no lgt_versie.txt");
        ProgramFolder folder;
        if (c.versie) {
            folder.put("lgt_versie.txt", c.versie);
        }
        const CheckRun run = runCheck(folder, server.hostPort(), c.today);
        requests += c.fetches ? 1 : 0;
        ASSERT_EQ(server.requests().size(), requests);
        EXPECT_EQ(run.outcome == UpdateCheck::Outcome::NotDue, !c.fetches);
    }
    EXPECT_EQ(server.requests().back(), kRequest);
}

TEST(UpdateCheck, EqualVersionsRecordTodayWithoutANotice)
{
    DownloadServer server("good");
    ASSERT_TRUE(server.isRunning()) << server.log();
    ProgramFolder folder;
    folder.put("lgt_versie.txt", "2026-11-30 2026-10-01");

    const CheckRun run = runCheck(folder, server.hostPort(), { 2026, 12, 8 });
    EXPECT_EQ(run.outcome, UpdateCheck::Outcome::UpToDate);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_EQ(folder.bytes("lgt_versie.txt"), "2026-11-30 2026-12-08");
}

TEST(UpdateCheck, ANewerVersionBringsTheNoticeAtEveryStart)
{
    DownloadServer server("good");
    ASSERT_TRUE(server.isRunning()) << server.log();
    const std::pair<const char*, const char*> cases[] = {
        { "older version", "2026-10-01 2026-10-01" },
        { "no lgt_versie.txt", nullptr },
    };
    for (const auto& [name, versie] : cases) {
        SCOPED_TRACE(name);
        ProgramFolder folder;
        if (versie) {
            folder.put("lgt_versie.txt", versie);
        }
        for (int start = 0; start < 2; ++start) {
            const CheckRun run = runCheck(folder, server.hostPort(), { 2026, 12, 8 });
            EXPECT_EQ(run.outcome, UpdateCheck::Outcome::NewVersion);
            ASSERT_EQ(run.messages.size(), 1u);
            const auto& notice = run.messages.last();
            EXPECT_EQ(notice.kind, RecordingMessages::Kind::Message);
            EXPECT_EQ(notice.text, kNotice);
            EXPECT_EQ(notice.caption, "Nieuwe updates beschikbaar");
            EXPECT_EQ(notice.icon, platform::MessageIcon::Information);
        }
        EXPECT_EQ(folder.bytes("lgt_versie.txt"), versie ? versie : "<missing>");
    }
}

TEST(UpdateCheck, ReportsEveryUnusableAnswerAsAFailedCheck)
{
    for (const char* mode : { "bad-version", "empty", "404", "drop", "truncated" }) {
        SCOPED_TRACE(mode);
        DownloadServer server(mode);
        ASSERT_TRUE(server.isRunning()) << server.log();
        ProgramFolder folder;
        folder.put("lgt_versie.txt", "2026-10-01 2026-10-01");

        const CheckRun run = runCheck(folder, server.hostPort(), { 2026, 12, 8 });
        EXPECT_EQ(run.outcome, UpdateCheck::Outcome::Failed);
        EXPECT_EQ(run.messages.texts(), std::vector<std::string> { "Updatecontrole mislukt !" });
        EXPECT_EQ(run.messages.last().kind, RecordingMessages::Kind::Error);
        EXPECT_EQ(folder.bytes("lgt_versie.txt"), "2026-10-01 2026-10-01");
    }
}

TEST(UpdateCheck, AnUnreachableServerIsAFailedCheck)
{
    DownloadServer server("good");
    ASSERT_TRUE(server.isRunning()) << server.log();
    const std::string host = server.hostPort();
    server.stop();
    ProgramFolder folder;

    const CheckRun run = runCheck(folder, host, { 2026, 12, 8 });
    EXPECT_EQ(run.outcome, UpdateCheck::Outcome::Failed);
    EXPECT_EQ(run.messages.texts(), std::vector<std::string> { "Updatecontrole mislukt !" });
    EXPECT_FALSE(folder.has("lgt_versie.txt"));
}

TEST(UpdateCheck, ReadsOnlyTheBeginningOfAListThatNeverEnds)
{
    DownloadServer server("stalls");
    ASSERT_TRUE(server.isRunning()) << server.log();
    ProgramFolder folder;
    folder.put("lgt_versie.txt", "2026-11-30 2026-10-01");

    const CheckRun run = runCheck(folder, server.hostPort(), { 2026, 12, 8 });
    EXPECT_EQ(run.outcome, UpdateCheck::Outcome::UpToDate);
    EXPECT_TRUE(run.messages.empty()) << ::testing::PrintToString(run.messages.texts());
    EXPECT_EQ(folder.bytes("lgt_versie.txt"), "2026-11-30 2026-12-08");
}
