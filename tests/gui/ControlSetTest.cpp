#include "ui/ControlSet.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

const char* const kTable = R"(dialog  -  SAMPLE        -          0  0  100 50
text    1  -             "Contract" 4  4  30  8
edit    2  SLE_CONTRACT  -          40 4  50  12
button  3  PB_OK         "OK"       40 30 40  14
text    4  TXT_NOTE      "Static"   4  20 30  8
edit    5  SLE_SHOWN     -          40 20 50  12 setting=Identity
)";

ui::DialogLayout sample()
{
    return *ui::DialogLayout::parse(QString::fromLatin1(kTable), nullptr, QStringLiteral("SAMPLE.layout"));
}

struct Agreeing : ui::ControlSet
{
    UI_CONTROL(QLineEdit, SLE_CONTRACT);
    UI_CONTROL(QAbstractButton, PB_OK); // a base of the row's widget class will do
};

struct Disagreeing : ui::ControlSet
{
    UI_CONTROL(QPushButton, SLE_CONTRACT);
    UI_CONTROL(QPushButton, PB_CANCEL);
};

} // namespace

// A static text and a control that shows a setting are never reached by name, so need no member.
TEST(ControlSet, BindsEveryMemberToItsControl)
{
    QWidget surface;
    Agreeing controls;
    ASSERT_EQ(controls.SLE_CONTRACT, nullptr);
    ui::buildAndBind(sample(), &surface, controls);
    EXPECT_EQ(controls.SLE_CONTRACT, surface.findChild<QLineEdit*>("SLE_CONTRACT"));
    EXPECT_EQ(controls.PB_OK, surface.findChild<QPushButton*>("PB_OK"));
    EXPECT_NE(controls.PB_OK, nullptr);
}

TEST(ControlSet, ReportsEveryDisagreementWithItsPlace)
{
    const QStringList problems = ui::checkControls(sample(), Disagreeing());
    ASSERT_EQ(problems.size(), 3) << problems.join(u'\n').toStdString();
    const std::pair<qsizetype, QStringList> expected[] = {
        { 0,
            { "SAMPLE.layout line 3: SLE_CONTRACT (edit) is a QLineEdit, its member at tests/gui/ControlSetTest.cpp:",
                " a QPushButton" } },
        { 1, { "tests/gui/ControlSetTest.cpp:", ": member PB_CANCEL has no row in SAMPLE.layout" } },
        { 2, { "SAMPLE.layout line 4: PB_OK has no member in the Controls of SAMPLE" } },
    };
    for (const auto& [index, parts] : expected) {
        for (const QString& part : parts) {
            EXPECT_TRUE(problems[index].contains(part))
                << problems[index].toStdString() << " lacks " << part.toStdString();
        }
    }
}

TEST(ControlSetDeathTest, StopsAWindowWhoseControlsDisagreeWithItsLayout)
{
    EXPECT_DEATH(
        {
            QWidget surface;
            Disagreeing controls;
            ui::buildAndBind(sample(), &surface, controls);
        },
        "SAMPLE.layout and its Controls disagree:\nSAMPLE.layout line 3: SLE_CONTRACT");
}
