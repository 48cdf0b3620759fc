#include "dialogs/TRANSFER_TABS_XML.h"

#include "GuiTestSupport.h"
#include "RecordingMessages.h"
#include "TempDir.h"

#include "config/ConfigValues.h"
#include "ui/QtMessages.h"

#include <QAccessible>
#include <QMessageBox>
#include <QTest>
#include <gtest/gtest.h>

using gui_test::control;

namespace {

constexpr const char* kSample = "<Order>\n  <Header>\n    <Nr>1</Nr>\n  </Header>\n"
                                "  <Line>\n    <Art>4711</Art>\n    <Qty>2</Qty>\n  </Line>\n"
                                "  <Line>\n    <Art>0815</Art>\n    <Qty>3</Qty>\n  </Line>\n</Order>\n";

class XmlPage : public ::testing::Test
{
protected:
    XmlPage()
    {
        page.show();
        page.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&page));
    }

    QLineEdit* field(int number) { return control<QLineEdit>(page, ("SLE_" + std::to_string(number)).c_str()); }
    // The current field's number as shown, checked against what a screen reader reads.
    QString current()
    {
        auto* label = control<QLabel>(page, "TXT_SPIN");
        EXPECT_EQ(
            QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name), "Huidig veld: " + label->text());
        return label->text();
    }

    // Types the path into the file field and presses Enter, as a user reads a sample.
    void readSample(const std::string& path)
    {
        auto* file = control<QLineEdit>(page, "SLE_FILE");
        file->setFocus();
        file->setText(QString::fromStdString(path));
        QTest::keyClick(file, Qt::Key_Return);
    }

    QStringList listed()
    {
        QStringList items;
        auto* list = control<QListWidget>(page, "LBX_TAGS");
        for (int row = 0; row < list->count(); ++row) {
            items << list->item(row)->text();
        }
        return items;
    }

    void clickPath(const QString& path)
    {
        auto* list = control<QListWidget>(page, "LBX_TAGS");
        const QList<QListWidgetItem*> found = list->findItems(path, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.front()).center());
    }

    // Leaves the contract field for the next one and answers the question, if one comes.
    void leaveContract(std::optional<bool> answer, QString* asked = nullptr)
    {
        bool answered = false;
        if (answer) {
            gui_test::onNextModal([&](QWidget* modal) {
                answered = true;
                auto* box = qobject_cast<QMessageBox*>(modal);
                ASSERT_NE(box, nullptr);
                if (asked) {
                    *asked = box->windowTitle() + " | " + box->text();
                }
                box->button(*answer ? QMessageBox::Yes : QMessageBox::No)->click();
            });
        }
        field(2)->setFocus();
        // The page asks once the focus has settled, through a queued call: run it now; a box it
        // opens is answered from within.
        QCoreApplication::sendPostedEvents(&page, QEvent::MetaCall);
        EXPECT_EQ(answered, answer.has_value());
        // A closed box leaves no window active on the offscreen platform.
        page.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&page));
    }

    testing_support::TempDir folder;
    platform::FixedClock clock { platform::Date { 2024, 3, 5 } };
    ui::QtMessages messages;
    TRANSFER_TABS_XML page { clock, messages };
};

} // namespace

TEST_F(XmlPage, StoresTheSeventeenExpressionsAsTyped)
{
    config::Settings settings;
    for (int number = 1; number <= 17; ++number) {
        settings.xmlPath(number) = "a[@n=\"" + std::to_string(number) + "\" and b<3]&amp;";
    }
    page.fill(settings);
    EXPECT_EQ(field(9)->text(), "a[@n=\"9\" and b<3]&amp;");
    config::ConfigValues values;
    page.store(values);
    for (int number = 1; number <= 17; ++number) {
        const std::string name = "XML_" + std::to_string(number);
        EXPECT_EQ(values[name], settings.xmlPath(number)) << name;
    }
    EXPECT_EQ(current(), "1");
    EXPECT_EQ(field(1)->accessibleName(), "Contract");
    EXPECT_EQ(field(13)->accessibleName(), "Dag");
}

TEST_F(XmlPage, ListsTheSamplePathsSortedAndKeepsThemWhenASampleIsBroken)
{
    auto* check = control<QPushButton>(page, "PBT_MAPPING");
    EXPECT_FALSE(check->isEnabled());
    const std::string good = folder.file("order.xml");
    gui_test::writeText(good, kSample);
    readSample(good);
    EXPECT_EQ(listed(), (QStringList { "#text", "Header", "Header/Nr", "Line", "Line/Art", "Line/Qty" }));
    EXPECT_TRUE(check->isEnabled());
    EXPECT_TRUE(page.isVisible()); // Enter read the sample and went no further

    const std::string broken = folder.file("broken.xml");
    gui_test::writeText(broken, "<Order><Header></Order>");
    QString shown;
    gui_test::onNextModal([&](QWidget* modal) { shown = qobject_cast<QMessageBox*>(modal)->text(); });
    readSample(broken);
    EXPECT_TRUE(shown.startsWith("XMLDOM ERROR ")) << shown.toStdString();
    EXPECT_GT(shown.size(), QString("XMLDOM ERROR ").size());
    EXPECT_EQ(control<QLineEdit>(page, "SLE_FILE")->text(), "");
    EXPECT_EQ(listed().size(), 6);
}

TEST_F(XmlPage, PutsClickedPathsIntoTheCurrentFieldAndMovesOn)
{
    const std::string sample = folder.file("order.xml");
    gui_test::writeText(sample, kSample);
    readSample(sample);

    field(7)->setFocus();
    EXPECT_EQ(current(), "7");
    for (const char* path : { "Header/Nr", "Line/Art", "Line/Qty" }) {
        clickPath(path);
    }
    EXPECT_EQ(field(7)->text(), "Header/Nr");
    EXPECT_EQ(field(8)->text(), "Line/Art");
    EXPECT_EQ(field(9)->text(), "Line/Qty");
    EXPECT_EQ(current(), "10");
    EXPECT_TRUE(field(10)->hasFocus());

    field(17)->setFocus();
    clickPath("Line");
    EXPECT_EQ(field(17)->text(), "Line");
    EXPECT_EQ(current(), "1");
    EXPECT_TRUE(field(1)->hasFocus());
}

TEST_F(XmlPage, SpinsRoundPastEitherEnd)
{
    auto* spinner = control<QSpinBox>(page, "VERTICALSPINNER1");
    struct Case
    {
        int from;
        bool up;
        int to;
    };
    const Case cases[] = { { 17, true, 1 }, { 1, false, 17 }, { 5, true, 6 }, { 5, false, 4 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + (c.up ? " up" : " down"));
        field(c.from)->setFocus();
        ASSERT_EQ(spinner->value(), c.from);
        c.up ? spinner->stepUp() : spinner->stepDown();
        EXPECT_TRUE(field(c.to)->hasFocus());
        EXPECT_EQ(spinner->value(), c.to);
        EXPECT_EQ(current(), QString::number(c.to));
    }
}

TEST_F(XmlPage, AsksBeforeAContractClearsTheDeliveryAddress)
{
    for (const bool yes : { true, false }) {
        SCOPED_TRACE(yes ? "Ja" : "Nee");
        field(1)->clear();
        field(7)->setText("Header/Naam");
        field(1)->setFocus();
        QTest::keyClicks(field(1), "Header/Contract");
        QString asked;
        leaveContract(yes, &asked);
        EXPECT_EQ(asked, "Bij een contract is het afleveradres al opgenomen | Huidig afleveradres wissen");
        EXPECT_EQ(field(1)->text(), yes ? "Header/Contract" : "");
        EXPECT_EQ(field(7)->text(), yes ? "" : "Header/Naam");
        for (int number = 7; number <= 12; ++number) {
            EXPECT_EQ(field(number)->isEnabled(), !yes) << number;
        }
        // Emptying the contract field frees the address again.
        field(1)->setFocus();
        field(1)->selectAll();
        QTest::keyClick(field(1), Qt::Key_Delete);
        leaveContract(std::nullopt);
        EXPECT_TRUE(field(12)->isEnabled());
    }
}

TEST_F(XmlPage, ShowsWhatTheMappingSelectsInTheSample)
{
    // A name outside the ANSI code page: the path reaches the reader as it was typed.
    const std::string sample = folder.file("bestelling Jos\xC3\xA9 \xC5\x81\xC3\xB3"
                                           "d\xC5\xBA.xml");
    gui_test::writeText(sample, kSample);
    readSample(sample);
    field(2)->setText("Header/Nr");
    field(16)->setText("Line/Art");
    field(17)->setText("Line/Qty");
    QStringList report;
    gui_test::onNextModal([&](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), "Mapping controleren");
        auto* list = control<QListWidget>(*modal, "LBX_RESULT");
        for (int row = 0; row < list->count(); ++row) {
            report << list->item(row)->text();
        }
    });
    control<QPushButton>(page, "PBT_MAPPING")->click();
    EXPECT_TRUE(report.contains("Order ref. num (XML_2): 1")) << report.join('\n').toStdString();
    EXPECT_TRUE(report.contains("Leverdatum (XML_6): 2024-03-07"));
    EXPECT_TRUE(report.contains("Aantal orderlijnen: 2"));
    EXPECT_TRUE(report.contains("2. 0815, 3"));
}

TEST(XmlPageBoxes, GoThroughTheMessagesTheDialogGave)
{
    testing_support::TempDir folder;
    testing_support::RecordingMessages messages;
    const platform::FixedClock clock { platform::Date { 2024, 3, 5 } };
    TRANSFER_TABS_XML page { clock, messages };
    page.show();
    const std::string broken = folder.file("broken.xml");
    gui_test::writeText(broken, "<Order><Header></Order>");
    auto* file = control<QLineEdit>(page, "SLE_FILE");
    file->setText(QString::fromStdString(broken));
    QTest::keyClick(file, Qt::Key_Return);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.last().text.rfind("XMLDOM ERROR ", 0), 0u) << messages.last().text;
}
