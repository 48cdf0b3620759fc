#include "dialogs/TRANSFER_TABS_ICM.h"

#include "GuiTestSupport.h"
#include "Loopback.h"
#include "SmtpPeer.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using gui_test::control;

namespace {

// The page with messages that note what the address display shows while each box is open: the
// green or red result lasts only as long as its box.
struct IcmPage : platform::Messages
{
    struct Box
    {
        std::string caption;
        std::string text;
        QString shown;
        QString read; // by a screen reader
        QColor colour;
    };

    explicit IcmPage(const std::string& icm)
    {
        config::Settings settings;
        settings.ICM = icm;
        settings.ICM_remote = "smtp.klant.test";
        page.fill(settings);
        page.show();
    }

    void error(const std::string& text) override { message(text, "Fout", platform::MessageIcon::Critical); }
    void message(const std::string& text, const std::string& caption, platform::MessageIcon) override
    {
        boxes.push_back({ caption, text, display()->text(),
            QAccessible::queryAccessibleInterface(display())->text(QAccessible::Name), colour() });
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "busy pointer over a box";
    }
    bool question(const std::string&, const std::string&, platform::MessageIcon) override { return false; }

    QLabel* display() const { return control<QLabel>(page, "TXT_IP"); }
    QColor colour() const { return display()->palette().color(QPalette::WindowText); }
    std::string stored(const char* element) const
    {
        config::ConfigValues values;
        page.store(values);
        return values[element];
    }
    void click(const char* name)
    {
        auto* button = control<QAbstractButton>(page, name);
        // On the mark of a radio button, where a user clicks.
        const bool radio = name[0] == 'R';
        QTest::mouseClick(button, Qt::LeftButton, {}, radio ? QPoint(6, button->height() / 2) : QPoint());
    }

    TRANSFER_TABS_ICM page { *this };
    std::vector<Box> boxes;
};

} // namespace

TEST(IcmSettingsPage, EnablesTheMailControlsWithTheChosenRoute)
{
    struct Case
    {
        const char* stored;
        std::vector<const char*> clicks;
        bool enabled;
        const char* saved;
    };
    const Case cases[] = {
        { "ML", {}, true, "ML" },
        { "ml", {}, false, "KN" }, // codes are exact
        { "ML", { "RBT_ICM_KONE" }, false, "KN" },
        { "KN", { "RBT_ICM_MAIL" }, true, "ML" },
        { "KN", { "RBT_ICM_MAIL", "RBT_ICM_KONE" }, false, "KN" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.stored) + " then " + std::to_string(c.clicks.size()) + " clicks");
        IcmPage icm(c.stored);
        for (const char* name : c.clicks) {
            icm.click(name);
        }
        for (const char* name : { "SLE_VAN_EMAIL", "SLE_VAN_NAAM", "SLE_REMOTE", "PB_TEST", "TXT_IP" }) {
            EXPECT_EQ(control(icm.page, name)->isEnabled(), c.enabled) << name;
        }
        EXPECT_EQ(icm.stored("ICM"), c.saved);
        EXPECT_EQ(icm.stored("ICM_remote"), "smtp.klant.test") << "greying out keeps the text";
    }
}

TEST(IcmSettingsPage, TestsTheServerAsTypedAndReturnsToBlackZeros)
{
    testing_support::SmtpPeer server("accept", "smtp.varo.test Welkom bij VARO");
    ASSERT_TRUE(server.isRunning()) << server.log();
    const QString port = QString::fromStdString(server.hostPort()).section(u':', 1);
    const QString zeros = QStringLiteral("000.000.000.000");
    struct Case
    {
        QString typed;
        std::string caption;
        std::string text; // a part of the box's text
        QString shown;
        QColor colour;
    };
    // By name, so the address shown is the one it resolved to.
    const Case cases[] = {
        { "localhost:" + port, "Remote server", "smtp.varo.test Welkom bij VARO", "127.0.0.1", QColor(0, 128, 64) },
        { "", "Fout", "Verbinding mislukt", zeros, Qt::red },
        { "127.0.0.1:" + QString::number(testing_support::closedLoopbackPort()), "Fout", "Verbinding mislukt", zeros,
            Qt::red },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        IcmPage icm("ML");
        // The edit as it stands, not the setting it was filled from.
        auto* remote = control<QLineEdit>(icm.page, "SLE_REMOTE");
        remote->clear();
        QTest::keyClicks(remote, c.typed);
        icm.click("PB_TEST");

        ASSERT_EQ(icm.boxes.size(), 1u);
        EXPECT_EQ(icm.boxes[0].caption, c.caption);
        EXPECT_NE(icm.boxes[0].text.find(c.text), std::string::npos) << icm.boxes[0].text;
        EXPECT_EQ(icm.boxes[0].shown, c.shown);
        EXPECT_TRUE(icm.boxes[0].read.contains(c.shown)) << icm.boxes[0].read.toStdString();
        EXPECT_EQ(icm.boxes[0].colour, c.colour);
        EXPECT_EQ(icm.display()->text(), zeros);
        EXPECT_EQ(icm.display()->accessibleName(), zeros);
        EXPECT_EQ(icm.colour(), QColor(Qt::black));
        EXPECT_EQ(icm.stored("ICM_remote"), c.typed.toStdString());
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(server.commands(), "QUIT\n") << "the test sends no mail";
}
