#include "ui/DialogBuilder.h"

#include "ui/LayoutKinds.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace ui {

namespace {

const double kDefaultPoints = 8.0;

QColor colorFlag(const QString& value)
{
    const QStringList parts = value.split(u',');
    if (parts.size() == 3) {
        return QColor(parts[0].toInt(), parts[1].toInt(), parts[2].toInt());
    }
    return QColor(value);
}

double pointsOf(const LayoutControl& row)
{
    return row.hasFlag(QStringLiteral("pt")) ? row.flag(QStringLiteral("pt")).toDouble() : kDefaultPoints;
}

// A control with a font of its own keeps the dialog's family unless it names another.
void applyLook(QWidget* widget, const LayoutControl& row, const LayoutControl& window)
{
    if (row.hasFlag(QStringLiteral("font")) || row.hasFlag(QStringLiteral("pt")) || row.hasFlag(QStringLiteral("bold"))
        || row.hasFlag(QStringLiteral("underline"))) {
        const QString family = row.hasFlag(QStringLiteral("font")) ? row.flag(QStringLiteral("font"))
                                                                   : window.flag(QStringLiteral("font"));
        const double points = row.hasFlag(QStringLiteral("pt")) ? pointsOf(row) : pointsOf(window);
        QFont font = mapFont(family, points);
        font.setBold(row.hasFlag(QStringLiteral("bold")));
        font.setUnderline(row.hasFlag(QStringLiteral("underline")));
        widget->setFont(font);
    }
    QPalette palette = widget->palette();
    if (row.hasFlag(QStringLiteral("color"))) {
        palette.setColor(QPalette::WindowText, colorFlag(row.flag(QStringLiteral("color"))));
        palette.setColor(QPalette::Text, colorFlag(row.flag(QStringLiteral("color"))));
    }
    if (row.hasFlag(QStringLiteral("background"))) {
        palette.setColor(QPalette::Window, colorFlag(row.flag(QStringLiteral("background"))));
        widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
}

const char* const kPurpose = "accessiblePurpose";

// A text the window changes is read with what it is for, and never hides its value behind a
// fixed name: "Huidig veld: 7".
QString purposeAndValue(const QString& purpose, const QString& value)
{
    return value.isEmpty() ? purpose : purpose + QStringLiteral(": ") + value;
}

// Edits, lists and combo boxes carry no caption of their own; screen readers name them after
// their label, given as label=<control> or else the text row just before them. accessible=<text>
// names a control that has neither, such as an image.
QString accessibleNameOf(const DialogLayout& layout, qsizetype index)
{
    const LayoutControl& row = layout.controls()[index];
    if (row.hasFlag(QStringLiteral("purpose"))) {
        return purposeAndValue(row.flag(QStringLiteral("purpose")), row.caption);
    }
    if (row.hasFlag(QStringLiteral("accessible"))) {
        return row.flag(QStringLiteral("accessible"));
    }
    const ControlKind* kind = controlKind(row.kind);
    if (kind->labelled && row.caption.isEmpty()) {
        if (row.hasFlag(QStringLiteral("label"))) {
            return withoutMnemonic(layout.control(row.flag(QStringLiteral("label")))->caption);
        }
        if (index > 0 && layout.controls()[index - 1].kind == QLatin1String("text")) {
            return withoutMnemonic(layout.controls()[index - 1].caption);
        }
    }
    return withoutMnemonic(row.caption);
}

// Radio buttons that share a surface would all exclude each other in Qt; the table's groups say
// which ones belong together.
void joinGroup(QRadioButton* radio, const QString& name, QMap<QString, QButtonGroup*>& groups, QWidget* surface)
{
    QButtonGroup*& group = groups[name];
    if (group == nullptr) {
        group = new QButtonGroup(surface);
        group->setObjectName(name + QStringLiteral("_buttons"));
    }
    group->addButton(radio);
}

struct Placed
{
    const LayoutControl* row;
    QWidget* widget;
};

// Where a control stands for the tab order: the top-left corners of the group boxes around it,
// outermost first, then its own.
QList<std::pair<int, int>> readingPlace(const LayoutControl& row, const QList<const LayoutControl*>& frames)
{
    QList<const LayoutControl*> around;
    for (const LayoutControl* frame : frames) {
        if (frame != &row && frame->units.contains(row.units.center())) {
            around << frame;
        }
    }
    std::sort(around.begin(), around.end(), [](const LayoutControl* a, const LayoutControl* b) {
        return a->units.width() * a->units.height() > b->units.width() * b->units.height();
    });
    QList<std::pair<int, int>> place;
    for (const LayoutControl* frame : around) {
        place << std::make_pair(frame->units.y(), frame->units.x());
    }
    place << std::make_pair(row.units.y(), row.units.x());
    return place;
}

// Tab goes group box by group box and within each row by row, left to right, as a form is read:
// the fields of one group are never interleaved with those of a group beside it. The cycle starts
// at the first control of the table, which is where the focus lands when the window opens, as in
// the dialog manager.
void setTabOrder(QList<Placed> focusable, const QList<const LayoutControl*>& frames)
{
    if (focusable.size() < 2) {
        return;
    }
    const QWidget* first = focusable.front().widget;
    QHash<const QWidget*, QList<std::pair<int, int>>> places;
    for (const Placed& placed : focusable) {
        places.insert(placed.widget, readingPlace(*placed.row, frames));
    }
    std::stable_sort(focusable.begin(), focusable.end(),
        [&places](const Placed& a, const Placed& b) { return places[a.widget] < places[b.widget]; });
    const auto start = std::find_if(
        focusable.begin(), focusable.end(), [first](const Placed& placed) { return placed.widget == first; });
    std::rotate(focusable.begin(), start, focusable.end());
    for (qsizetype i = 1; i < focusable.size(); ++i) {
        QWidget::setTabOrder(focusable[i - 1].widget, focusable[i].widget);
    }
}

} // namespace

QFont mapFont(const QString& family, double points)
{
    QString installed = fontFamilyFor(family);
    if (installed.isEmpty()) {
        installed = fontFamilyFor(QStringLiteral("MS Shell Dlg"));
    }
    QFont font(installed);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points > 0 ? points : kDefaultPoints);
    return font;
}

QFont dialogFont(const DialogLayout& layout)
{
    return mapFont(layout.window().flag(QStringLiteral("font")), pointsOf(layout.window()));
}

BaseUnits baseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int letters
        = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // The average of the 52 letters, rounded to nearest the way the dialog manager rounds it.
    return { (letters / 26 + 1) / 2, metrics.height() };
}

int mulDiv(int a, int b, int c)
{
    if (c == 0) {
        return -1;
    }
    const long long product = static_cast<long long>(a) * b;
    const long long half = std::llabs(static_cast<long long>(c)) / 2;
    const bool negative = (product < 0) != (c < 0);
    const long long magnitude = (std::llabs(product) + half) / std::llabs(static_cast<long long>(c));
    return static_cast<int>(negative ? -magnitude : magnitude);
}

QRect toPixels(const QRect& units, BaseUnits base)
{
    // x counts quarters of the base width and y eighths of the base height. Each edge is
    // converted on its own, as the dialog manager maps rectangles, so neighbours stay flush.
    const int left = mulDiv(units.x(), base.x, 4);
    const int top = mulDiv(units.y(), base.y, 8);
    const int right = mulDiv(units.x() + units.width(), base.x, 4);
    const int bottom = mulDiv(units.y() + units.height(), base.y, 8);
    return QRect(left, top, right - left, bottom - top);
}

void build(const DialogLayout& layout, QWidget* surface)
{
    const QFont font = dialogFont(layout);
    surface->setFont(font);
    const BaseUnits base = baseUnits(font);
    surface->setFixedSize(toPixels(QRect(QPoint(0, 0), layout.sizeInUnits()), base).size());
    if (surface->objectName().isEmpty()) {
        surface->setObjectName(layout.name());
    }
    if (surface->isWindow()) {
        surface->setWindowTitle(layout.caption());
        surface->setAccessibleName(layout.caption());
    }

    QMap<QString, QButtonGroup*> groups;
    QList<QWidget*> frames;
    QList<const LayoutControl*> frameRows;
    QList<Placed> focusable;
    for (qsizetype index = 0; index < layout.controls().size(); ++index) {
        const LayoutControl& row = layout.controls()[index];
        QWidget* widget = controlKind(row.kind)->make(row, surface);
        widget->setObjectName(row.objectName());
        widget->setGeometry(toPixels(row.units, base));
        widget->setAccessibleName(accessibleNameOf(layout, index));
        if (row.hasFlag(QStringLiteral("purpose"))) {
            widget->setProperty(kPurpose, row.flag(QStringLiteral("purpose")));
        }
        widget->setProperty("controlId", row.id);
        applyLook(widget, row, layout.window());
        if (row.hasFlag(QStringLiteral("hidden"))) {
            widget->hide();
        }
        if (row.hasFlag(QStringLiteral("disabled"))) {
            widget->setEnabled(false);
        }
        if (row.hasFlag(QStringLiteral("tooltip"))) {
            widget->setToolTip(row.flag(QStringLiteral("tooltip")));
        }
        if (qobject_cast<QGroupBox*>(widget)) {
            frames << widget;
            frameRows << &row;
        }
        if (auto* radio = qobject_cast<QRadioButton*>(widget); radio && row.hasFlag(QStringLiteral("group"))) {
            joinGroup(radio, row.flag(QStringLiteral("group")), groups, surface);
        }
        if (widget->focusPolicy() & Qt::TabFocus) {
            focusable << Placed { &row, widget };
        }
    }
    // Frames are drawn beneath every other control whatever their place in the table.
    for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
        (*it)->lower();
    }
    setTabOrder(focusable, frameRows);
}

void addPage(QTabWidget* tabs, QWidget* page, const QString& caption)
{
    if (page->accessibleName().isEmpty()) {
        page->setAccessibleName(withoutMnemonic(caption));
    }
    tabs->addTab(page, caption);
}

void setCaption(QWidget* control, const QString& caption)
{
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(caption);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(caption);
    } else if (auto* box = qobject_cast<QGroupBox*>(control)) {
        box->setTitle(caption);
    }
    const QString purpose = control->property(kPurpose).toString();
    control->setAccessibleName(
        purpose.isEmpty() ? withoutMnemonic(caption) : purposeAndValue(purpose, withoutMnemonic(caption)));
}

} // namespace ui
