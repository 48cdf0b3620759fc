// Every layout compiled into the program, checked as a whole: a new dialog or page is covered as
// soon as its layout file lies in resources/layouts/ and its window declares a ui::Form.
#include "config/ConfigFields.h"
#include "convert/XmlMapping.h"
#include "ui/ControlSet.h"
#include "ui/DialogBuilder.h"
#include "ui/Images.h"
#include "ui/LayoutKinds.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QFile>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

#include <map>

using ui::DialogLayout;
using ui::LayoutControl;

namespace {

// Parsed without stopping the test binary when a table is broken.
std::optional<DialogLayout> read(const QString& name)
{
    ui::ensureResources();
    const QString source = QStringLiteral("layouts/%1.layout").arg(name);
    QFile file(QStringLiteral(":/") + source);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << source.toStdString();
    QString error;
    auto layout = DialogLayout::parse(QString::fromUtf8(file.readAll()), &error, source);
    EXPECT_TRUE(layout.has_value()) << source.toStdString() << ": " << error.toStdString();
    return layout;
}

// Runs check on every layout that parses, built and bound on a surface of its own; shown and
// active when a check needs the keyboard focus.
template <class Check> void forEveryBuiltLayout(Check check, bool shown = false)
{
    for (const QString& name : DialogLayout::compiledIn()) {
        SCOPED_TRACE(name.toStdString());
        const std::optional<DialogLayout> layout = read(name);
        std::unique_ptr<ui::ControlSet> controls = ui::registeredControls(name);
        if (!layout || !controls || !ui::checkControls(*layout, *controls).isEmpty()) {
            continue; // reported by EveryLayoutHasControlsThatAgreeWithIt
        }
        QWidget surface;
        ui::buildAndBind(*layout, &surface, *controls);
        if (shown) {
            surface.show();
            surface.activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&surface));
        }
        check(*layout, surface, *controls);
    }
}

std::string where(const DialogLayout& layout, const LayoutControl& row)
{
    return QStringLiteral("%1 line %2: %3").arg(layout.source()).arg(row.line).arg(row.objectName()).toStdString();
}

// The room a caption needs in its control, in the control's own font and style.
QSize roomNeeded(const LayoutControl& row, const QWidget* widget)
{
    const QString text = ui::withoutMnemonic(row.caption);
    const QFontMetrics metrics(widget->font());
    const QStyle* style = widget->style();
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        const int frame = 2 * label->frameWidth();
        if (label->wordWrap()) {
            const QRect wrapped
                = metrics.boundingRect(QRect(0, 0, label->width() - frame, 10000), Qt::TextWordWrap, text);
            return wrapped.size() + QSize(frame, frame);
        }
        return QSize(metrics.horizontalAdvance(text) + frame, metrics.height() + frame);
    }
    if (qobject_cast<const QGroupBox*>(widget)) {
        // The title breaks the frame line a little way in from the left edge.
        return QSize(metrics.horizontalAdvance(text) + 2 * metrics.averageCharWidth(), metrics.height());
    }
    if (const auto* button = qobject_cast<const QPushButton*>(widget)) {
        // The label is drawn centred in the button less its frame (and its default ring).
        int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, widget);
        if (button->autoDefault()) {
            frame += style->pixelMetric(QStyle::PM_ButtonDefaultIndicator, nullptr, widget);
        }
        return QSize(metrics.horizontalAdvance(text) + 2 * frame, metrics.height());
    }
    // A check box or radio button: its indicator, the gap, then the text.
    const bool radio = row.kind == QLatin1String("radio");
    const int indicator
        = style->pixelMetric(radio ? QStyle::PM_ExclusiveIndicatorWidth : QStyle::PM_IndicatorWidth, nullptr, widget);
    const int spacing = style->pixelMetric(
        radio ? QStyle::PM_RadioButtonLabelSpacing : QStyle::PM_CheckBoxLabelSpacing, nullptr, widget);
    return QSize(indicator + spacing + metrics.horizontalAdvance(text), metrics.height());
}

} // namespace

TEST(Layouts, EveryLayoutHasControlsThatAgreeWithIt)
{
    const QStringList layouts = DialogLayout::compiledIn();
    ASSERT_TRUE(layouts.contains("TRANSFER"));
    for (const QString& name : layouts) {
        SCOPED_TRACE(name.toStdString());
        const std::optional<DialogLayout> layout = read(name);
        const std::unique_ptr<ui::ControlSet> controls = ui::registeredControls(name);
        ASSERT_NE(controls, nullptr) << "no window declares a ui::Form for layouts/" << name.toStdString()
                                     << ".layout (or its unit is not linked into the tests)";
        if (layout) {
            EXPECT_EQ(ui::checkControls(*layout, *controls).join(u'\n').toStdString(), "");
            EXPECT_EQ(layout->name(), name) << "the dialog row names another layout";
        }
    }
    for (const QString& name : ui::registeredLayouts()) {
        EXPECT_TRUE(layouts.contains(name)) << "a window binds the missing layout " << name.toStdString();
    }
}

TEST(Layouts, BindEveryMemberToAControlInsideTheSurface)
{
    forEveryBuiltLayout([](const DialogLayout& layout, const QWidget& surface, const ui::ControlSet& controls) {
        EXPECT_EQ(surface.objectName(), layout.name());
        const QRect inUnits(QPoint(0, 0), layout.sizeInUnits());
        for (const LayoutControl& row : layout.controls()) {
            const auto* widget = surface.findChild<QWidget*>(row.objectName(), Qt::FindDirectChildrenOnly);
            ASSERT_NE(widget, nullptr) << where(layout, row);
            EXPECT_TRUE(inUnits.contains(row.units)) << where(layout, row);
            EXPECT_TRUE(surface.rect().contains(widget->geometry())) << where(layout, row);
            EXPECT_EQ(widget->property("controlId").toInt(), row.id) << where(layout, row);
        }
        for (const ui::ControlMember& member : controls.members()) {
            const auto* bound = *static_cast<QWidget* const*>(member.slot);
            EXPECT_EQ(bound, surface.findChild<QWidget*>(member.name)) << member.name;
        }
    });
}

// Screen readers and the GUI tests find a control by its caption, an edit by its label, and a
// caption-less image or button by the name the layout gives it. Caption-less frames stay
// nameless so they never shadow the controls they frame; a text without caption is filled in
// by its window, and a text with a purpose is read as "purpose: value".
TEST(Layouts, NameEveryControlForScreenReaders)
{
    forEveryBuiltLayout([](const DialogLayout& layout, const QWidget& surface, const ui::ControlSet&) {
        for (const LayoutControl& row : layout.controls()) {
            const auto* widget = surface.findChild<QWidget*>(row.objectName());
            ASSERT_NE(widget, nullptr) << where(layout, row);
            const QString name = widget->accessibleName();
            if (row.hasFlag("accessible")) {
                EXPECT_EQ(name, row.flag("accessible")) << where(layout, row);
            } else if (row.hasFlag("purpose")) {
                EXPECT_EQ(name, row.flag("purpose") + ": " + row.caption) << where(layout, row);
            } else if (!row.caption.isEmpty()) {
                EXPECT_EQ(name, ui::withoutMnemonic(row.caption)) << where(layout, row);
            } else if (ui::controlKind(row.kind)->labelled) {
                EXPECT_FALSE(name.isEmpty()) << where(layout, row) << " has no label";
            } else if (qobject_cast<const QGroupBox*>(widget)) {
                EXPECT_TRUE(name.isEmpty()) << where(layout, row);
            } else if (row.kind != QLatin1String("text")) {
                EXPECT_FALSE(name.isEmpty()) << where(layout, row) << " needs accessible=";
            }
        }
    });
}

TEST(Layouts, DrawEveryControlInTheFontAndColoursItsRowGives)
{
    forEveryBuiltLayout([](const DialogLayout& layout, const QWidget& surface, const ui::ControlSet&) {
        const LayoutControl& window = layout.window();
        EXPECT_EQ(surface.font().family(), "Liberation Sans");
        for (const LayoutControl& row : layout.controls()) {
            const auto* widget = surface.findChild<QWidget*>(row.objectName());
            ASSERT_NE(widget, nullptr) << where(layout, row);
            const QString family = row.hasFlag("font") ? row.flag("font") : window.flag("font");
            const double points = (row.hasFlag("pt") ? row.flag("pt") : window.flag("pt")).toDouble();
            EXPECT_EQ(widget->font().family(), ui::mapFont(family, points).family()) << where(layout, row);
            EXPECT_DOUBLE_EQ(widget->font().pointSizeF(), points > 0 ? points : 8.0) << where(layout, row);
            EXPECT_EQ(widget->font().bold(), row.hasFlag("bold")) << where(layout, row);
            EXPECT_EQ(widget->font().underline(), row.hasFlag("underline")) << where(layout, row);
            if (row.hasFlag("color")) {
                const QStringList rgb = row.flag("color").split(u',');
                EXPECT_EQ(widget->palette().color(QPalette::WindowText),
                    QColor(rgb.value(0).toInt(), rgb.value(1).toInt(), rgb.value(2).toInt()))
                    << where(layout, row);
            }
            if (row.hasFlag("background")) {
                EXPECT_EQ(widget->palette().color(QPalette::Window), QColor(row.flag("background")))
                    << where(layout, row);
                EXPECT_TRUE(widget->autoFillBackground()) << where(layout, row);
            }
        }
    });
}

TEST(Layouts, FitEveryCaptionInItsControl)
{
    forEveryBuiltLayout([](const DialogLayout& layout, const QWidget& surface, const ui::ControlSet&) {
        for (const LayoutControl& row : layout.controls()) {
            if (row.caption.isEmpty()) {
                continue;
            }
            const auto* widget = surface.findChild<QWidget*>(row.objectName());
            ASSERT_NE(widget, nullptr) << where(layout, row);
            const QSize needed = roomNeeded(row, widget);
            EXPECT_LE(needed.width(), widget->width())
                << where(layout, row) << " clips \"" << row.caption.toStdString() << "\"";
            EXPECT_LE(needed.height(), widget->height())
                << where(layout, row) << " clips \"" << row.caption.toStdString() << "\"";
        }
    });
}

// A text the window changes (a counter, a status, an address) is read by a screen reader with the
// value a sighted user sees, never hidden behind a fixed name; its purpose, when the layout gives
// one, comes first.
TEST(Layouts, LetScreenReadersReadEveryTextsValue)
{
    forEveryBuiltLayout([](const DialogLayout& layout, QWidget& surface, const ui::ControlSet&) {
        for (const LayoutControl& row : layout.controls()) {
            auto* label = row.kind == QLatin1String("text") ? surface.findChild<QLabel*>(row.objectName()) : nullptr;
            if (label == nullptr) {
                continue;
            }
            for (const QString& value : { ui::withoutMnemonic(label->text()), QStringLiteral("7") }) {
                ui::setCaption(label, value);
                QAccessibleInterface* read = QAccessible::queryAccessibleInterface(label);
                ASSERT_NE(read, nullptr) << where(layout, row);
                const QString name = read->text(QAccessible::Name);
                EXPECT_TRUE(name.contains(value) || read->text(QAccessible::Description).contains(value))
                    << where(layout, row) << " reads \"" << name.toStdString() << "\"";
                if (row.hasFlag("purpose")) {
                    EXPECT_TRUE(name.startsWith(row.flag("purpose"))) << where(layout, row);
                }
            }
        }
    });
}

// What is typed into an editable combo box is what the program gets: nothing is completed while
// typing, nor matched to a listed item when Enter is pressed or the focus leaves.
TEST(Layouts, KeepWhatIsTypedIntoEveryEditableCombo)
{
    int combos = 0;
    forEveryBuiltLayout(
        [&combos](const DialogLayout& layout, QWidget& surface, const ui::ControlSet&) {
            for (const LayoutControl& row : layout.controls()) {
                if (row.kind != QLatin1String("combo") || !row.hasFlag("editable")) {
                    continue;
                }
                ++combos;
                auto* combo = surface.findChild<QComboBox*>(row.objectName());
                ASSERT_NE(combo, nullptr) << where(layout, row);
                combo->clear();
                combo->addItems({ QStringLiteral("NL"), QStringLiteral("Nee") });
                for (const Qt::Key leave : { Qt::Key_Tab, Qt::Key_Return }) {
                    combo->setFocus(Qt::TabFocusReason);
                    combo->clearEditText();
                    QTest::keyClicks(combo, QStringLiteral("n"));
                    EXPECT_EQ(combo->currentText(), "n") << where(layout, row) << " completes while typing";
                    QTest::keyClick(combo, leave);
                    if (leave == Qt::Key_Tab) {
                        EXPECT_FALSE(combo->hasFocus()) << where(layout, row) << " keeps the focus";
                    }
                    EXPECT_EQ(combo->currentText(), "n") << where(layout, row) << " after key " << leave;
                }
            }
        },
        true);
    EXPECT_GT(combos, 0);
}

// A setting is named where it is shown: every element of config.xml has one control on one page,
// and every control names an element the record holds. A setting added without its row, or a
// typo in setting=, fails here instead of when the dialog opens or, worse, never being saved.
TEST(Layouts, ShowEverySettingOnceAndNothingElse)
{
    std::map<std::string, std::string> shownAt;
    for (const QString& name : DialogLayout::compiledIn()) {
        const std::optional<DialogLayout> layout = read(name);
        for (const LayoutControl* row : layout ? layout->settingRows() : QList<const LayoutControl*>()) {
            const std::string setting = row->flag("setting").toStdString();
            EXPECT_NE(config::findConfigField(setting), nullptr) << where(*layout, *row) << " shows no setting";
            const auto [first, added] = shownAt.emplace(setting, where(*layout, *row));
            EXPECT_TRUE(added) << where(*layout, *row) << " shows " << setting << " again, after " << first->second;
        }
    }
    for (const auto& field : config::configFields()) {
        EXPECT_EQ(shownAt.count(std::string(field.name)), 1u) << field.name << " has no control";
    }
}

// The XML reader names a faulty expression by the label the user sees beside its edit.
TEST(Layouts, LabelTheXmlSettingsAsTheReaderNamesThem)
{
    int labelled = 0;
    forEveryBuiltLayout([&labelled](const DialogLayout& layout, const QWidget& surface, const ui::ControlSet&) {
        for (const LayoutControl* row : layout.settingRows()) {
            const QString setting = row->flag("setting");
            if (!setting.startsWith("XML_")) {
                continue;
            }
            const auto* edit = surface.findChild<QWidget*>(row->objectName());
            ASSERT_NE(edit, nullptr) << where(layout, *row);
            EXPECT_EQ(edit->accessibleName().toStdString(), convert::xmlSettingLabel(setting.mid(4).toInt()))
                << where(layout, *row);
            ++labelled;
        }
    });
    EXPECT_EQ(labelled, 17);
}
