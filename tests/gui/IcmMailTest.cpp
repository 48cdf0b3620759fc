#include "app/TRANSFER.h"

#include "GuiTestSupport.h"
#include "RecordingMessages.h"
#include "SmtpPeer.h"
#include "TempDir.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <filesystem>

using gui_test::writeText;
using testing_support::RecordingMessages;
using testing_support::SmtpPeer;
using testing_support::TempDir;

// The window's part in the e-mail: its button, its ticks, its busy pointer and its list; the
// command's own rules are tested headless with the command.
TEST(IcmMail, MailsTheTickedFilesFromTheWindow)
{
    TempDir home;
    TempDir program;
    const gui_test::ScopedEnv appData("AppData", home.path().c_str());
    const std::string input = home.file("in");
    std::filesystem::create_directories(input);
    SmtpPeer server;
    ASSERT_TRUE(server.isRunning()) << server.log();
    writeText(program.file("deployment.ini"), "[icm]\nmailbox = icm@varo.test\n");
    gui_test::writeConfig(home.file("VARO"),
        { { "Schema", "ICM" }, { "ICM", "ML" }, { "ICM_email", "inkoop@klant.test" }, { "ICM_naam", "Klant" },
            { "ICM_remote", server.hostPort() }, { "Filiaal", "NED" }, { "Bestand_del", "YES" }, { "MapIn", input },
            { "Extentie", "*.icm" } });
    for (const char* name : { "a.icm", "b.icm", "c.icm", "d.icm", "e.icm" }) {
        writeText(input + "/" + name, std::string("ICM 1.0\r\n") + name + '\0');
    }
    RecordingMessages messages;
    const platform::SystemClock clock;
    TRANSFER window(messages, program.path(), clock);
    window.show();
    ASSERT_TRUE(messages.empty()) << messages.texts().front();
    EXPECT_TRUE(gui_test::control<QPushButton>(window, "PBT_MAIL")->isVisible());
    EXPECT_FALSE(gui_test::control<QPushButton>(window, "PBT_SENDORDER")->isVisible());

    QTreeWidget* list = gui_test::control<QTreeWidget>(window, "LISTVIEW_TRANSFER");
    ASSERT_EQ(list->topLevelItemCount(), 5);
    std::vector<std::string> ticked;
    for (int i = 0; i < 5; ++i) {
        list->topLevelItem(i)->setCheckState(0, i == 1 || i == 3 ? Qt::Checked : Qt::Unchecked);
        if (i == 1 || i == 3) {
            ticked.push_back(list->topLevelItem(i)->text(0).toStdString());
        }
    }
    gui_test::control<QPushButton>(window, "PBT_MAIL")->click();

    EXPECT_EQ(messages.texts(), std::vector<std::string> { "2 bestand(en) verzonden naar VARO" });
    EXPECT_EQ(messages.last().caption, "ICM_mail");
    ASSERT_EQ(server.messageCount(), 1);
    EXPECT_EQ(server.values(1, "rcpt-to"), std::vector<std::string> { "icm@varo.test" });
    EXPECT_EQ(server.values(1, "attachment"), ticked);
    EXPECT_EQ(list->topLevelItemCount(), 3) << "the sent files are gone from the folder and the list";
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        EXPECT_EQ(list->topLevelItem(i)->checkState(0), Qt::Unchecked) << "a second press mails nothing again";
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the busy pointer is left on";
}
