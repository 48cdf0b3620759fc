#include "dialogs/TRANSFER_EXTRA.h"

#include "GuiTestSupport.h"
#include "RecordingMessages.h"
#include "TempDir.h"
#include "platform/Files.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using testing_support::RecordingMessages;
using testing_support::TempDir;

namespace {

const platform::Date kThursday { 2026, 12, 10 };
const platform::Date kSaturday { 2026, 12, 12 };
const std::string kOld = "oud\r\n";

// The dialog as a user meets it: shown and active, its controls found by name, typed into with
// key events.
class OrderInfoDialog : public ::testing::Test
{
protected:
    void open(platform::Date today = kThursday)
    {
        m_clock.set(today);
        m_dialog = std::make_unique<TRANSFER_EXTRA>(&m_owner, m_work.path(), m_settings, m_clock, m_messages);
        m_dialog->show();
        m_dialog->activateWindow();
        QApplication::processEvents(); // the platform activates the window from its queue
    }

    template <class T = QLineEdit> T* control(const char* name) const { return gui_test::control<T>(*m_dialog, name); }

    QString text(const char* name) const
    {
        if (auto* combo = m_dialog->findChild<QComboBox*>(QString::fromLatin1(name))) {
            return combo->currentText();
        }
        return control(name)->displayText();
    }

    // Empties the field and types text into it key by key.
    void type(const char* name, const QString& text)
    {
        QWidget* target = control<QWidget>(name);
        if (auto* combo = qobject_cast<QComboBox*>(target)) {
            target = combo->lineEdit();
        }
        target->setFocus(Qt::TabFocusReason);
        auto* edit = qobject_cast<QLineEdit*>(target);
        edit->selectAll();
        key(edit, Qt::Key_Delete);
        edit->home(false);
        keys(edit, text);
    }

    static void keys(QWidget* target, const QString& text)
    {
        for (const QChar c : text) {
            key(target, Qt::Key_unknown, QString(c));
        }
    }

    static void key(QWidget* target, int code, const QString& text = {})
    {
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
        QApplication::sendEvent(target, &release);
    }

    void click(const char* name) { control<QAbstractButton>(name)->click(); }

    std::string path() const { return m_work.file("orderkop.txt"); }
    std::optional<std::string> stored() const { return platform::readFile(path()); }
    void store(const std::string& bytes) const { ASSERT_TRUE(platform::replaceFile(path(), bytes)); }

    QWidget m_owner;
    TempDir m_work;
    config::Settings m_settings;
    platform::FixedClock m_clock { kThursday };
    RecordingMessages m_messages;
    std::unique_ptr<TRANSFER_EXTRA> m_dialog;
};

} // namespace

TEST_F(OrderInfoDialog, OpensOnTheEarliestDeliveryDateAndTakesTypedInput)
{
    m_settings.Filiaal = "NED";
    for (const auto& today : { kThursday, kSaturday }) {
        open(today);
        EXPECT_EQ(text("SLE_DATUM"), "2026-12-14");
        EXPECT_EQ(text("CMB_LAND"), "") << "no file, no country from the branch";
        EXPECT_TRUE(control<QWidget>("MONTHCALENDAR1")->isHidden());
    }
    // A typed date goes over the one the field holds, however the focus came there.
    for (const Qt::FocusReason reason : { Qt::TabFocusReason, Qt::OtherFocusReason }) {
        SCOPED_TRACE(reason);
        control("SLE_REF1")->setFocus(Qt::TabFocusReason);
        control("SLE_DATUM")->setFocus(reason);
        keys(control("SLE_DATUM"), QStringLiteral("20270105"));
        EXPECT_EQ(text("SLE_DATUM"), "2027-01-05");
        type("SLE_DATUM", "");
    }
    type("SLE_POSTCODE", "1234 abcd");
    type("SLE_WOONPLAATS", "gent");
    EXPECT_EQ(text("SLE_POSTCODE"), "1234 AB");
    EXPECT_EQ(text("SLE_WOONPLAATS"), "GENT");
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(OrderInfoDialog, RefusesEachFaultWithItsOwnMessageAndKeepsTheInput)
{
    const char* const date = "Leverdatum moet verder in de toekomst liggen";
    const char* const postcode = "Postnummer moet 7 lang zijn";
    const char* const country = "Landcode niet juist";
    struct Case
    {
        platform::Date today;
        const char* date;
        const char* postcode;
        const char* country;
        std::vector<std::string> messages;
    };
    // The postcode check wants NL and the code check anything else, so two faults at most.
    const Case cases[] = {
        { kThursday, "20261213", "", "BE", { date } }, // the Sunday before the Monday
        { kThursday, "20261219", "", "BE", {} }, // a Saturday after it
        { kSaturday, "20261213", "", "", { date } },
        { kThursday, "", "1234AB", "NL", { postcode } },
        { kThursday, "", "1234 AB", "NL", {} },
        { kThursday, "", "", "be", { country } },
        { kThursday, "20261211", "12", "nl", { date, country } },
        { kThursday, "20261211", "12", "NL", { date, postcode } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.date) + " " + c.postcode + " " + c.country);
        m_messages.clear();
        open(c.today);
        store(kOld);
        type("SLE_REF1", "r");
        type("SLE_DATUM", c.date);
        type("SLE_POSTCODE", c.postcode);
        type("CMB_LAND", c.country);
        click("PBT_OPSLAAN");
        EXPECT_EQ(m_messages.texts(), c.messages);
        for (const auto& entry : m_messages.entries()) {
            EXPECT_EQ(entry.kind, RecordingMessages::Kind::Error);
        }
        EXPECT_EQ(m_dialog->isVisible(), !c.messages.empty());
        EXPECT_EQ(stored() == kOld, !c.messages.empty());
        EXPECT_EQ(text("SLE_POSTCODE"), c.postcode);
    }
}

TEST_F(OrderInfoDialog, StoresWindows1252LinesAndReadsThemBack)
{
    open();
    type("SLE_ORDERREF", " Zöhne & Café ");
    type("SLE_DATUM", "");
    type("SLE_NAAM1", "Müller €");
    click("PBT_OPSLAAN");
    EXPECT_TRUE(m_messages.empty());
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_EQ(stored(), "\r\n Z\xF6hne & Caf\xE9 \r\n\r\n\r\n\r\n    -  -  \r\nM\xFCller \x80\r\n\r\n\r\n\r\n\r\n\r\n");

    m_settings.Filiaal = "NED";
    open();
    EXPECT_EQ(text("SLE_ORDERREF"), " Zöhne & Café ");
    EXPECT_EQ(text("SLE_DATUM"), "    -  -  ");
    EXPECT_EQ(text("SLE_NAAM1"), "Müller €");
    EXPECT_EQ(text("CMB_LAND"), "NL") << "an empty country line takes the branch's";
}

TEST_F(OrderInfoDialog, EmptyingSavedOrWipedDeletesTheFileAndCancelKeepsIt)
{
    store("C1\r\nR\r\n\r\n\r\n\r\n2026-12-20\r\nN\r\n\r\n\r\n\r\n\r\nDE\r\n");
    open();
    click("PBT_WIS");
    EXPECT_FALSE(std::filesystem::exists(path()));
    EXPECT_TRUE(m_dialog->isVisible());
    for (const char* name : { "SLE_CONTRACT", "SLE_ORDERREF", "SLE_NAAM1", "CMB_LAND" }) {
        EXPECT_EQ(text(name), "") << name;
    }
    EXPECT_EQ(text("SLE_DATUM"), "    -  -  ");

    store(kOld);
    type("SLE_TELNR", "   ");
    click("PBT_OPSLAAN");
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_FALSE(std::filesystem::exists(path())) << "blanks and a cleared date are an empty form";

    for (const bool closeBox : { false, true }) {
        store(kOld);
        open();
        type("SLE_REF2", "nieuw");
        closeBox ? void(m_dialog->close()) : click("PBT_ANNULEREN");
        EXPECT_FALSE(m_dialog->isVisible());
        EXPECT_EQ(stored(), kOld);
    }
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(OrderInfoDialog, TheCalendarComesAndGoesAndGivesItsDate)
{
    open();
    auto* calendar = control<QCalendarWidget>("MONTHCALENDAR1");
    auto* tick = control<QCheckBox>("CBX_KAL");
    tick->click();
    EXPECT_TRUE(calendar->isVisible());
    calendar->setSelectedDate(QDate(2027, 1, 5));
    EXPECT_EQ(text("SLE_DATUM"), "2027-01-05");

    const QPointF spot(5, 5);
    QMouseEvent doubleClick(
        QEvent::MouseButtonDblClick, spot, m_dialog->mapToGlobal(spot), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_dialog.get(), &doubleClick);
    EXPECT_FALSE(calendar->isVisible());
    EXPECT_FALSE(tick->isChecked());
}

TEST_F(OrderInfoDialog, AContractNumberTakesTheAddressAway)
{
    const auto enabled = [&]() {
        int count = 0;
        for (const char* name :
            { "SLE_NAAM1", "SLE_NAAM2", "SLE_STRAAT", "SLE_POSTCODE", "SLE_WOONPLAATS", "CMB_LAND" }) {
            count += control<QWidget>(name)->isEnabled() ? 1 : 0;
        }
        return count;
    };
    const auto leaveContract = [&](const QString& contract) {
        type("SLE_CONTRACT", contract);
        control("SLE_REF1")->setFocus(Qt::TabFocusReason);
    };
    open();
    ASSERT_EQ(QApplication::focusWidget(), control("SLE_CONTRACT")) << "the dialog must be active";
    leaveContract("K1");
    EXPECT_TRUE(m_messages.empty()) << "no address, no question";
    EXPECT_EQ(enabled(), 0);
    leaveContract("");
    EXPECT_EQ(enabled(), 6);

    type("SLE_NAAM2", "Bouwplaats");
    leaveContract("K2"); // answered No: the contract number goes
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages.last().kind, RecordingMessages::Kind::Question);
    EXPECT_EQ(m_messages.last().caption, "Afleveradres");
    EXPECT_EQ(m_messages.last().text, "Bij een contract wordt het afleveradres gewist ?");
    EXPECT_EQ(m_messages.last().icon, platform::MessageIcon::Question);
    EXPECT_EQ(text("SLE_CONTRACT"), "");
    EXPECT_EQ(text("SLE_NAAM2"), "Bouwplaats");
    EXPECT_EQ(enabled(), 6);

    type("CMB_LAND", "NL");
    m_messages.setNextAnswer(true);
    leaveContract("K3");
    EXPECT_EQ(text("SLE_CONTRACT"), "K3");
    EXPECT_EQ(text("SLE_NAAM2"), "");
    EXPECT_EQ(text("CMB_LAND"), "");
    EXPECT_EQ(enabled(), 0);

    control("SLE_CONTRACT")->setFocus(Qt::TabFocusReason);
    control("SLE_REF1")->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(m_messages.size(), 2u) << "leaving it unchanged asks nothing";
}

// Real key strokes, a Tab that moves the focus and a mouse click on the button: nothing on the
// way turns a typed "be" into "BE" or completes "n" to "NL", so the code check sees the typing.
TEST_F(OrderInfoDialog, ChecksTheCountryAsTypedWithKeysAndFocus)
{
    for (const char* typed : { "be", "n" }) {
        SCOPED_TRACE(typed);
        m_messages.clear();
        open();
        store(kOld);
        auto* land = control<QComboBox>("CMB_LAND");
        land->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(land, QString::fromLatin1(typed));
        QTest::keyClick(land, Qt::Key_Tab);
        EXPECT_FALSE(land->hasFocus());
        QTest::mouseClick(control<QPushButton>("PBT_OPSLAAN"), Qt::LeftButton);
        EXPECT_EQ(text("CMB_LAND"), typed);
        EXPECT_EQ(m_messages.texts(), std::vector<std::string> { "Landcode niet juist" });
        EXPECT_TRUE(m_dialog->isVisible());
        EXPECT_EQ(stored(), kOld);
    }
}

// A pasted address block or a date that is no date is refused before anything is written, and a
// file that cannot be written keeps the dialog open with the input.
TEST_F(OrderInfoDialog, KeepsTheInputWhenTheSaveIsRefusedOrFails)
{
    open();
    store(kOld);
    QApplication::clipboard()->setText(QStringLiteral("Straat 1\n9000 Gent"));
    control("SLE_STRAAT")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(control("SLE_STRAAT"), Qt::Key_V, Qt::ControlModifier);
    type("SLE_DATUM", "202612");
    click("PBT_OPSLAAN");
    EXPECT_EQ(m_messages.texts(),
        (std::vector<std::string> { "Leverdatum niet juist",
            "Een regeleinde of ander stuurteken in Straat kan niet in orderkop.txt bewaard worden." }));
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(stored(), kOld);

    // A folder in the file's place: the write fails and everything typed is still there.
    std::filesystem::remove(path());
    std::filesystem::create_directory(path());
    type("SLE_STRAAT", "Straat 1");
    type("SLE_DATUM", "20261214");
    m_messages.clear();
    click("PBT_OPSLAAN");
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages.last().text.rfind("Fout bij afsluiten orderkop.txt ", 0), 0u) << m_messages.last().text;
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(text("SLE_STRAAT"), "Straat 1");
    EXPECT_EQ(text("SLE_DATUM"), "2026-12-14");
}
