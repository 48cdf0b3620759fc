#include "ui/DialogBuilder.h"

#include <QButtonGroup>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using ui::BaseUnits;
using ui::build;
using ui::DialogLayout;
using ui::toPixels;

namespace {

DialogLayout parsed(const char* text)
{
    QString error;
    const auto layout = DialogLayout::parse(QString::fromUtf8(text), &error);
    EXPECT_TRUE(layout.has_value()) << error.toStdString();
    return layout.value_or(*DialogLayout::parse("dialog - X - 0 0 1 1"));
}

const char* const kSample = R"(# a comment line
dialog  -   SAMPLE   "Sample ""one"""  0  0  200 100 font="MS Shell Dlg" pt=8
text    10  -        "&Contract:"      4  4  40  8
edit    11  SLE_CONTRACT -             48 4  60  12  maxlength=10
text    12  TXT_REF  "Referentie"      4  20 40  8
edit    13  SLE_REF  -                 48 40 60  12  password
edit    14  SLE_REF2 -                 48 60 60  12  label=TXT_REF
radio   20  RBT_A    "A"               4  80 20  10  group=G1 value=a
radio   21  RBT_B    "B"               30 80 20  10  group=G1 value=b
radio   22  RBT_C    "C"               60 80 20  10  group=G2
radio   23  RBT_D    "D"               90 80 20  10  group=G2
button  30  PB_OK    "&Opslaan"        140 80 50 14 default tooltip="Bewaar de gegevens"
button  32  PB_UPD   -                 140 60 50 14 image=ICO_KNV accessible=Update
groupbox 31 -        -                 0  0  200 100 accessible="Rand"
)";

} // namespace

TEST(DialogUnits, RoundLikeMulDiv)
{
    const struct
    {
        int a, b, c, expected;
    } cases[] = { { 353, 6, 4, 530 }, { 174, 13, 8, 283 }, { 7, 13, 8, 11 }, { 1, 6, 4, 2 }, { 5, 7, 4, 9 },
        { -3, 6, 4, -5 }, { 0, 6, 4, 0 }, { 3, 6, 0, -1 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.a) + "*" + std::to_string(c.b) + "/" + std::to_string(c.c));
        EXPECT_EQ(ui::mulDiv(c.a, c.b, c.c), c.expected);
    }
}

TEST(DialogUnits, ConvertEachEdgeSoNeighboursStayFlush)
{
    const BaseUnits base { 6, 13 };
    EXPECT_EQ(toPixels(QRect(8, 7, 236, 111), base), QRect(12, 11, 354, 181));
    // Two controls that touch in dialog units touch in pixels too, whatever the rounding.
    const QRect left = toPixels(QRect(3, 3, 5, 5), base);
    const QRect right = toPixels(QRect(8, 3, 5, 5), base);
    EXPECT_EQ(left.x() + left.width(), right.x());
}

TEST(DialogUnits, ComeFromThePinnedDialogFont)
{
    const DialogLayout layout = parsed(kSample);
    const QFont font = ui::dialogFont(layout);
    EXPECT_EQ(font.family(), "Liberation Sans");
    // Not a stand-in: the face the dependency script installs is the one drawn with.
    EXPECT_EQ(QFontInfo(font).family(), "Liberation Sans");
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 8.0);
    const BaseUnits base = ui::baseUnits(font);
    // The average letter of an 8 point sans face on a 96 dpi screen is 6 or 7 pixels wide and
    // the face about 13 high; far off means the wrong font or the wrong formula.
    EXPECT_GE(base.x, 5);
    EXPECT_LE(base.x, 8);
    EXPECT_GE(base.y, 11);
    EXPECT_LE(base.y, 15);

    QWidget surface;
    build(layout, &surface);
    EXPECT_EQ(surface.size(), toPixels(QRect(0, 0, 200, 100), base).size());
    const auto* edit = surface.findChild<QLineEdit*>("SLE_CONTRACT");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->geometry(), toPixels(QRect(48, 4, 60, 12), base));
}

TEST(DialogLayoutTable, ReadsQuotesDashesAndFlags)
{
    const DialogLayout layout = parsed(kSample);
    EXPECT_EQ(layout.name(), "SAMPLE");
    EXPECT_EQ(layout.caption(), "Sample \"one\"");
    EXPECT_EQ(layout.sizeInUnits(), QSize(200, 100));
    ASSERT_EQ(layout.controls().size(), 12);
    const ui::LayoutControl* text = layout.control("ID_10");
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->name.isEmpty());
    EXPECT_EQ(text->caption, "&Contract:");
    const ui::LayoutControl* edit = layout.control("SLE_CONTRACT");
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->caption.isEmpty());
    EXPECT_EQ(edit->flag("maxlength"), "10");
    EXPECT_EQ(layout.control("RBT_A")->flag("value"), "a");
    EXPECT_EQ(layout.control("ID_31")->flag("accessible"), "Rand");
}

TEST(DialogLayoutTable, RejectsBrokenRowsWithTheirLine)
{
    const std::pair<const char*, const char*> cases[] = {
        { "", "no dialog row" },
        { "button 1 PB \"Open 0 0 10 10", "line 1: unbalanced quote" },
        { "button 1 PB x 0 0 10 10", "line 1: the first row must be the dialog" },
        { "dialog - D - 0 0 10 10\n\nbutton 1 PB x 0 0 10", "line 3: needs kind, id, name, caption, x, y, w, h" },
        { "dialog - D - 0 0 10 10\nbutton 1 PB x 0 zero 10 10", "line 2: bad number 'zero'" },
        { "dialog - D - 0 0 10 10\nbutton x1 PB x 0 0 10 10", "line 2: bad id 'x1'" },
        { "dialog - D - 0 0 10 10\nbutton - - x 0 0 10 10", "line 2: a control needs a name or an id" },
        { "dialog - D - 0 0 10 10\nbutton 1 PB x 0 0 99999 10", "line 2: bad number '99999'" },
        { "dialog - D - 0 0 10 10\nbuton 1 PB x 0 0 10 10", "line 2: unknown kind 'buton'" },
        { "dialog - D - 0 0 10 10\nbutton 1 PB x 0 0 10 10 defualt", "line 2: unknown flag 'defualt'" },
        { "dialog - D - 0 0 10 10\nbutton 1 PB x 0 0 10 10 password",
            "line 2: flag 'password' does not go with kind 'button'" },
        { "dialog - D - 0 0 10 10 hidden", "line 1: flag 'hidden' does not go with kind 'dialog'" },
        { "dialog - D - 0 0 10 10\nedit 1 E - 0 0 10 10 maxlength=x", "line 2: bad maxlength 'x'" },
        { "dialog - D - 0 0 10 10\nedit 1 E - 0 0 10 10 maxlength", "line 2: flag 'maxlength' needs a value" },
        { "dialog - D - 0 0 10 10\nedit 1 E - 0 0 10 10 readonly=yes", "line 2: flag 'readonly' takes no value" },
        { "dialog - D - 0 0 10 10\nspin 1 S - 0 0 10 10 range=18,0", "line 2: bad range '18,0'" },
        { "dialog - D - 0 0 10 10\ntext 1 T x 0 0 10 10 font=Tahoma", "line 2: bad font 'Tahoma'" },
        { "dialog - D - 0 0 10 10\ntext 1 T x 0 0 10 10 color=0,300,0", "line 2: bad color '0,300,0'" },
        { "dialog - D - 0 0 10 10\nicon 1 ICO_NONE - 0 0 10 10", "line 2: no image named 'ICO_NONE'" },
        { "dialog - D - 0 0 10 10\nbutton 1 PB x 0 0 10 10 image=ICO_NONE", "line 2: bad image 'ICO_NONE'" },
        { "dialog - D - 0 0 10 10\nedit 1 E - 0 0 10 10\n\nedit 2 E - 0 0 10 10", "line 4: E is named twice (line 2)" },
        { "dialog - D - 0 0 10 10\nedit 1 E - 0 0 10 10 label=TXT_E", "line 2: label 'TXT_E' names no control" },
        { "dialog - D - 0 0 10 10\ndialog - D - 0 0 10 10", "line 2: only the first row may be the dialog" },
        { "dialog - D - 0 0 10 10\nedit 1 A - 0 0 10 10 setting=S\ncombo 2 B - 0 0 10 10 setting=S",
            "line 3: setting S is shown twice (line 2)" },
        { "dialog - D - 0 0 10 10\nradiogroup 1 - x 0 0 10 10 group=G setting=S",
            "line 2: setting S needs a group= of radio buttons" },
        { "dialog - D - 0 0 10 10\nradiogroup 1 - x 0 0 10 10 group=G setting=S\nradio 2 R x 0 0 10 10 group=G",
            "line 2: R (line 3) shows setting S without value=" },
    };
    for (const auto& [text, reason] : cases) {
        SCOPED_TRACE(text);
        QString error;
        EXPECT_FALSE(DialogLayout::parse(QString::fromUtf8(text), &error).has_value());
        EXPECT_EQ(error.toStdString(), reason);
    }
}

TEST(DialogLayoutBuild, NamesEveryControlForScreenReaders)
{
    QWidget surface;
    build(parsed(kSample), &surface);
    const std::pair<const char*, const char*> cases[] = {
        { "ID_10", "Contract:" }, // mnemonic mark dropped
        { "SLE_CONTRACT", "Contract:" }, // the label just before it
        { "SLE_REF2", "Referentie" }, // the label it names
        { "PB_OK", "Opslaan" },
        { "ID_31", "Rand" },
    };
    for (const auto& [name, accessible] : cases) {
        SCOPED_TRACE(name);
        const QWidget* control = surface.findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->accessibleName(), accessible);
    }
    EXPECT_EQ(surface.findChild<QLineEdit*>("SLE_REF")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(surface.findChild<QLineEdit*>("SLE_CONTRACT")->maxLength(), 10);
    EXPECT_TRUE(surface.findChild<QPushButton*>("PB_OK")->isDefault());
    EXPECT_EQ(surface.findChild<QPushButton*>("PB_OK")->toolTip(), "Bewaar de gegevens");
    EXPECT_EQ(surface.findChild<QPushButton*>("PB_UPD")->iconSize(), QSize(32, 15));
}

TEST(DialogLayoutBuild, KeepsEachRadioGroupApart)
{
    QWidget surface;
    build(parsed(kSample), &surface);
    auto* a = surface.findChild<QRadioButton*>("RBT_A");
    auto* b = surface.findChild<QRadioButton*>("RBT_B");
    auto* c = surface.findChild<QRadioButton*>("RBT_C");
    auto* d = surface.findChild<QRadioButton*>("RBT_D");
    a->setChecked(true);
    c->setChecked(true);
    b->setChecked(true);
    EXPECT_FALSE(a->isChecked());
    EXPECT_TRUE(b->isChecked());
    EXPECT_TRUE(c->isChecked());
    d->setChecked(true);
    EXPECT_FALSE(c->isChecked());
    EXPECT_TRUE(b->isChecked());
    EXPECT_EQ(b->property("value").toString(), "b");
}

TEST(DialogLayoutBuild, PutsFramesBeneathTheControlsAfterThem)
{
    QWidget surface;
    build(parsed(kSample), &surface);
    const QWidget* frame = surface.findChild<QGroupBox*>("ID_31");
    ASSERT_NE(frame, nullptr);
    // The frame is listed last but must neither cover nor swallow clicks for the others.
    EXPECT_EQ(surface.children().indexOf(const_cast<QWidget*>(frame)), 0);
    EXPECT_TRUE(frame->testAttribute(Qt::WA_TransparentForMouseEvents));
    surface.show();
    EXPECT_EQ(surface.childAt(QPoint(3, 3)), nullptr);
    auto* edit = surface.findChild<QLineEdit*>("SLE_CONTRACT");
    EXPECT_EQ(surface.childAt(edit->geometry().center()), edit);
}

TEST(DialogLayoutBuild, MakesEachKindAsItsFlagsSay)
{
    const DialogLayout layout = parsed(R"(dialog - KINDS - 0 0 200 200
date     1  SLE_DATUM   -        4 4   60 12
edit     2  SLE_PC      -        4 20  60 12 uppercase maxlength=7
edit     3  SLE_VAN     -        4 36  60 12 digits
combo    4  CMB_LAND    -        4 52  60 12 editable items="NL|BE|DE"
combo    5  CMB_LANG    -        4 68  60 12 sorted items="NL|FR"
listbox  6  LBX_TAGS    -        4 84  60 40 sorted single
spin     7  SPIN        -        4 130 12 30 range=0,18
text     8  TXT_SPIN    "1"      20 130 12 11 center framed
groupbox 9  -           -        4 170 100 8 separator
calendar 10 KAL         -        100 4 90 80 hidden
)");
    QWidget surface;
    build(layout, &surface);
    auto* date = surface.findChild<QLineEdit*>("SLE_DATUM");
    date->clear();
    EXPECT_EQ(date->displayText(), "    -  -  ");
    date->setText("2026-12-10");
    EXPECT_EQ(date->text(), "2026-12-10");

    auto* postcode = surface.findChild<QLineEdit*>("SLE_PC");
    postcode->setFocus();
    QTest::keyClicks(postcode, "1234 ab9");
    EXPECT_EQ(postcode->text(), "1234 AB");
    auto* digits = surface.findChild<QLineEdit*>("SLE_VAN");
    QTest::keyClicks(digits, "1a-2");
    EXPECT_EQ(digits->text(), "12");

    auto* land = surface.findChild<QComboBox*>("CMB_LAND");
    ASSERT_EQ(land->count(), 3);
    EXPECT_EQ(land->itemText(0), "NL");
    EXPECT_EQ(land->currentText(), "");
    // A typed text stays in the field and does not join the list.
    QTest::keyClicks(land, "XX");
    QTest::keyClick(land, Qt::Key_Return);
    EXPECT_EQ(land->currentText(), "XX");
    EXPECT_EQ(land->count(), 3);
    EXPECT_EQ(surface.findChild<QComboBox*>("CMB_LANG")->itemText(0), "FR");

    auto* tags = surface.findChild<QListWidget*>("LBX_TAGS");
    tags->addItems({ "b", "a" });
    EXPECT_EQ(tags->item(0)->text(), "a");
    EXPECT_EQ(tags->selectionMode(), QAbstractItemView::SingleSelection);
    auto* spin = surface.findChild<QSpinBox*>("SPIN");
    EXPECT_EQ(spin->minimum(), 0);
    EXPECT_EQ(spin->maximum(), 18);
    auto* number = surface.findChild<QLabel*>("TXT_SPIN");
    EXPECT_TRUE(number->alignment() & Qt::AlignHCenter);
    EXPECT_GT(number->frameWidth(), 0);
    EXPECT_TRUE(surface.findChild<QGroupBox*>("ID_9")->isFlat());
    EXPECT_TRUE(surface.findChild<QCalendarWidget*>("KAL")->isHidden());
}

// Tab runs over the surface group box by group box, and within one row by row, left to right,
// whatever the order of the table; the focus starts on the table's first control, as it always
// did.
TEST(DialogLayoutBuild, TabsThroughEachGroupBeforeTheNext)
{
    const DialogLayout layout = parsed(R"(dialog - TABS - 0 0 200 100
button   1 PB_LAST  "c"      100 80 40 14
groupbox 6 -        "Links"  0   0  95 70
groupbox 7 -        "Rechts" 98  0  100 70
edit     2 SLE_B    -        100 10 40 12
text     3 -        "x"      4   10 40 8
edit     4 SLE_A    -        50  10 40 12
button   5 PB_MID   "b"      4   40 40 14
edit     8 SLE_C    -        100 25 40 12
)");
    QWidget surface;
    build(layout, &surface);
    surface.show();
    QStringList cycle;
    const QWidget* start = surface.findChild<QWidget*>("PB_LAST");
    const QWidget* at = start;
    do {
        cycle << at->objectName();
        at = at->nextInFocusChain();
        while (!(at->focusPolicy() & Qt::TabFocus) || at == &surface) {
            at = at->nextInFocusChain();
        }
    } while (at != start && cycle.size() < 10);
    EXPECT_EQ(cycle.join(u' ').toStdString(), "PB_LAST SLE_A PB_MID SLE_B SLE_C");
    QWidget* first = &surface;
    do {
        first = first->nextInFocusChain();
    } while (!(first->focusPolicy() & Qt::TabFocus));
    EXPECT_EQ(first->objectName(), "PB_LAST");
}

TEST(DialogLayoutBuild, PlacesAPageLayoutIntoATabControl)
{
    const DialogLayout frame = parsed(R"(dialog - FRAME "Instellingen" 0 0 430 250 font="MS Shell Dlg" pt=8
tab    0  TABCONTROL1  -         4   7   416 218
button 1  PBT_OPSLAAN  "Opslaan" 364 228 55  12
)");
    const DialogLayout pageLayout = parsed(R"(dialog - PAGE_A - 0 0 410 198 font="MS Shell Dlg" pt=8
checkbox 1 CBX_DEL "Wissen na verwerking" 300 180 100 15
)");
    QWidget window;
    build(frame, &window);
    auto* tabs = window.findChild<QTabWidget*>("TABCONTROL1");
    auto* page = new QWidget;
    build(pageLayout, page);
    ui::addPage(tabs, page, "&Mappen");
    window.show();
    ASSERT_EQ(tabs->count(), 1);
    EXPECT_EQ(tabs->tabText(0), "&Mappen");
    EXPECT_EQ(page->objectName(), "PAGE_A");
    EXPECT_EQ(page->accessibleName(), "Mappen");
    EXPECT_EQ(page->size(), toPixels(QRect(0, 0, 410, 198), ui::baseUnits(page->font())).size());
    // The whole page shows inside the tab control, its last control too.
    const auto* box = page->findChild<QCheckBox*>("CBX_DEL");
    const QRect onTabs(box->mapTo(tabs, QPoint(0, 0)), box->size());
    EXPECT_TRUE(tabs->rect().contains(onTabs)) << onTabs.bottom() << " " << tabs->height();
    EXPECT_EQ(tabs->geometry(), toPixels(QRect(4, 7, 416, 218), ui::baseUnits(window.font())));
}
