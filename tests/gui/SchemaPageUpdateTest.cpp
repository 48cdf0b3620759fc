#include "dialogs/TRANSFER_TABS_SCH.h"
#include "lengths/PipeLengthTable.h"

#include "../lengths/UpdateTestSupport.h"
#include "GuiTestSupport.h"
#include "Loopback.h"
#include "RecordingMessages.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using gui_test::control;
using testing_support::RecordingMessages;
using update_test::DownloadServer;
using update_test::ProgramFolder;

namespace {

// The pipeline as the user sees it: which of the icons are shown, left to right.
std::string pipeline(const QWidget& page)
{
    std::string shown;
    for (const char* name : { "ICO_PRB", "ICO_PR1", "ICO_PRF1", "ICO_PR2", "ICO_PRF2", "ICO_PR3", "ICO_PRF3", "ICO_PR4",
             "ICO_PRF4", "ICO_PRE", "ICO_PRW" }) {
        if (!control(page, name)->isHidden()) {
            shown += std::string(shown.empty() ? "" : " ") + name;
        }
    }
    return shown;
}

std::string status(const QWidget& page)
{
    return control<QLabel>(page, "TXT_PROCES")->text().toStdString();
}

TEST(SchemaPageUpdate, ShowsEachOutcomeOnThePipeline)
{
    struct Case
    {
        const char* mode;
        std::vector<std::string> messages;
        const char* pipeline;
        const char* status;
        std::optional<double> length; // of article ABC-110, new in the good list
    };
    const std::string resting = "ICO_PRB ICO_PR1 ICO_PR2 ICO_PR3 ICO_PR4 ICO_PRE";
    const Case cases[] = {
        { "good", {}, "ICO_PRB ICO_PR1 ICO_PR2 ICO_PR3 ICO_PR4 ICO_PRE ICO_PRW", "Versie 2026-11-30", 0.75 },
        { "404", { "Geen rechten of foutieve download" }, "ICO_PRB ICO_PRF1 ICO_PRE", "Error", std::nullopt },
        { "two-commas", { "Ontbrekende tekens in dowload" }, "ICO_PRB ICO_PRF1 ICO_PRE", "Error", std::nullopt },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        DownloadServer server(c.mode);
        ASSERT_TRUE(server.isRunning()) << server.log();
        ProgramFolder folder;
        folder.put("lgt_versie.txt", "2026-01-15 2026-01-15");
        const std::string oldTable = folder.bytes("lgt.dbf");
        platform::FixedClock clock({ 2026, 12, 8 });
        RecordingMessages messages;
        TRANSFER_TABS_SCH page(folder.path(), server.hostPort(), clock, messages);
        page.show();
        EXPECT_EQ(pipeline(page), resting);
        EXPECT_EQ(status(page), "Versie 2026-01-15");

        auto* button = control<QPushButton>(page, "PBT_REFRESH");
        EXPECT_EQ(button->accessibleName(), "Update buislengten");
        QTest::mouseClick(button, Qt::LeftButton);

        EXPECT_EQ(messages.texts(), c.messages);
        EXPECT_EQ(pipeline(page), c.pipeline);
        EXPECT_EQ(status(page), c.status);
        EXPECT_EQ(control(page, "TXT_PROCES")->accessibleName().toStdString(), c.status);
        if (!c.length) {
            EXPECT_TRUE(folder.bytes("lgt.dbf") == oldTable);
            continue;
        }
        lengths::PipeLengthTable table;
        ASSERT_EQ(table.open(folder.file("lgt.dbf"), lengths::OpenMode::SharedReadOnly), lengths::OpenStatus::Opened);
        const lengths::SeekResult hit = table.seek("ABC-110");
        ASSERT_TRUE(hit.found);
        EXPECT_DOUBLE_EQ(table.numericValue(hit.record, "MT_LENGT").value_or(-1), *c.length);
    }
}

TEST(SchemaPageUpdate, RunsAFreshUpdateAfterAFailedOne)
{
    // The server answers 404 until the list exists, and reads it anew at every request.
    ProgramFolder folder;
    const std::string list = folder.file("published.csv");
    DownloadServer server("--file", list);
    ASSERT_TRUE(server.isRunning()) << server.log();
    platform::FixedClock clock({ 2026, 12, 8 });
    RecordingMessages messages;
    TRANSFER_TABS_SCH page(folder.path(), server.hostPort(), clock, messages);
    auto* button = control<QPushButton>(page, "PBT_REFRESH");

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(pipeline(page), "ICO_PRB ICO_PRF1 ICO_PRE");
    folder.put("published.csv", "# Versie --->2026-12-01\r\nABC-110,0.75\r\n");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(pipeline(page), "ICO_PRB ICO_PR1 ICO_PR2 ICO_PR3 ICO_PR4 ICO_PRE ICO_PRW");
    EXPECT_EQ(status(page), "Versie 2026-12-01");
    EXPECT_EQ(messages.texts(), std::vector<std::string> { "Geen rechten of foutieve download" });
}

TEST(SchemaPageUpdate, ShowsTheBareVersionTextWithoutAVersionFile)
{
    ProgramFolder folder;
    platform::FixedClock clock({ 2026, 12, 8 });
    RecordingMessages messages;
    const TRANSFER_TABS_SCH page(
        folder.path(), "127.0.0.1:" + std::to_string(testing_support::closedLoopbackPort()), clock, messages);
    EXPECT_EQ(status(page), "Versie ");
}

} // namespace
