#include "ui/LayoutKinds.h"

#include "ui/DialogLayout.h"
#include "ui/Images.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QTreeWidget>

namespace ui {

namespace {

// The edit control's upper-case style converts what is typed and what is set alike.
class UpperCase final : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        input = input.toUpper();
        return Acceptable;
    }
};

QWidget* makeButton(const LayoutControl& row, QWidget* surface)
{
    auto* button = new QPushButton(row.caption, surface);
    if (row.hasFlag(QStringLiteral("image"))) {
        const QPixmap image = imagePixmap(row.flag(QStringLiteral("image")));
        button->setIcon(QIcon(image));
        button->setIconSize(image.size());
    }
    button->setDefault(row.hasFlag(QStringLiteral("default")));
    button->setAutoDefault(false);
    return button;
}

QWidget* makeRadio(const LayoutControl& row, QWidget* surface)
{
    auto* radio = new QRadioButton(row.caption, surface);
    radio->setProperty("value", row.flag(QStringLiteral("value")));
    return radio;
}

QWidget* makeCheckBox(const LayoutControl& row, QWidget* surface)
{
    return new QCheckBox(row.caption, surface);
}

QWidget* makeFrame(const LayoutControl& row, QWidget* surface)
{
    auto* box = new QGroupBox(row.caption, surface);
    // A group box only frames its neighbours; clicks go through to the controls drawn over it.
    box->setAttribute(Qt::WA_TransparentForMouseEvents);
    // A caption-less box a few units high serves as a dividing line; a flat box draws just that.
    box->setFlat(row.hasFlag(QStringLiteral("separator")));
    return box;
}

QWidget* makeImage(const LayoutControl& row, QWidget* surface)
{
    auto* label = new QLabel(surface);
    const QString image = row.hasFlag(QStringLiteral("image")) ? row.flag(QStringLiteral("image")) : row.name;
    // Static images show at their own size, centred in the control as the dialog manager does.
    label->setPixmap(imagePixmap(image));
    label->setAlignment(Qt::AlignCenter);
    label->setProperty("image", image);
    return label;
}

QWidget* makeText(const LayoutControl& row, QWidget* surface)
{
    auto* label = new QLabel(surface);
    // A dialog's text control shows its text as it stands; a setting shown there, such as a
    // Schema of "<b>CSV</b>", must not turn into markup.
    label->setTextFormat(Qt::PlainText);
    label->setText(row.caption);
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (row.hasFlag(QStringLiteral("right"))) {
        horizontal = Qt::AlignRight;
    } else if (row.hasFlag(QStringLiteral("center"))) {
        horizontal = Qt::AlignHCenter;
    }
    label->setAlignment(horizontal | Qt::AlignTop);
    label->setWordWrap(!row.hasFlag(QStringLiteral("nowrap")));
    if (row.hasFlag(QStringLiteral("framed"))) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }
    return label;
}

QWidget* makeEdit(const LayoutControl& row, QWidget* surface)
{
    auto* edit = new QLineEdit(surface);
    if (row.hasFlag(QStringLiteral("password"))) {
        edit->setEchoMode(QLineEdit::Password);
    }
    edit->setReadOnly(row.hasFlag(QStringLiteral("readonly")));
    if (const auto length = tableNumber(row.flag(QStringLiteral("maxlength"))); length && *length > 0) {
        edit->setMaxLength(*length);
    }
    if (row.hasFlag(QStringLiteral("uppercase"))) {
        edit->setValidator(new UpperCase(edit));
    } else if (row.hasFlag(QStringLiteral("digits"))) {
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    }
    return edit;
}

// A date field in the program's "YYYY-MM-DD" form; cleared, its displayText() is "    -  -  ".
QWidget* makeDate(const LayoutControl& row, QWidget* surface)
{
    auto* edit = new QLineEdit(surface);
    edit->setInputMask(QStringLiteral("0000-00-00; "));
    edit->setReadOnly(row.hasFlag(QStringLiteral("readonly")));
    return edit;
}

QWidget* makeCombo(const LayoutControl& row, QWidget* surface)
{
    auto* combo = new QComboBox(surface);
    if (row.hasFlag(QStringLiteral("editable"))) {
        combo->setEditable(true);
        // What the user types is what the checks see and what is stored: the completer would
        // finish a typed "n" as a listed "NL", and on Enter or leaving the field it would match a
        // typed "be" to the item "BE" regardless of case.
        combo->setCompleter(nullptr);
    }
    // A typed text stays in the field only, as in a drop-down combo; it never joins the list.
    combo->setInsertPolicy(QComboBox::NoInsert);
    if (row.hasFlag(QStringLiteral("items"))) {
        QStringList items = row.flag(QStringLiteral("items")).split(u'|');
        if (row.hasFlag(QStringLiteral("sorted"))) {
            items.sort();
        }
        combo->addItems(items);
        // Like a combo box filled by code, the field starts empty rather than on the first item.
        combo->setCurrentIndex(-1);
    }
    return combo;
}

QWidget* makeListBox(const LayoutControl& row, QWidget* surface)
{
    auto* list = new QListWidget(surface);
    list->setSortingEnabled(row.hasFlag(QStringLiteral("sorted")));
    list->setSelectionMode(row.hasFlag(QStringLiteral("single")) ? QAbstractItemView::SingleSelection
                                                                 : QAbstractItemView::ExtendedSelection);
    return list;
}

QWidget* makeListView(const LayoutControl& row, QWidget* surface)
{
    auto* view = new QTreeWidget(surface);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setSelectionMode(row.hasFlag(QStringLiteral("single")) ? QAbstractItemView::SingleSelection
                                                                 : QAbstractItemView::ExtendedSelection);
    if (!row.hasFlag(QStringLiteral("fullrow"))) {
        view->setSelectionBehavior(QAbstractItemView::SelectItems);
    }
    return view;
}

QWidget* makeTable(const LayoutControl&, QWidget* surface)
{
    // A view without items of its own: the code sets a model, which a long order needs, since a
    // list view would make an item for every one of its lines before showing the first.
    auto* view = new QTreeView(surface);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    return view;
}

QWidget* makeTab(const LayoutControl&, QWidget* surface)
{
    return new QTabWidget(surface);
}

QWidget* makeCalendar(const LayoutControl&, QWidget* surface)
{
    auto* calendar = new QCalendarWidget(surface);
    // A month calendar shows the days only, without week numbers, in the program's language
    // whatever the machine's.
    calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calendar->setLocale(QLocale(QLocale::Dutch, QLocale::Netherlands));
    // Its rows share the height the table gives; at their usual minimum, six weeks do not fit
    // the room a month calendar has in dialog units and the last one would be cut off.
    if (auto* days = calendar->findChild<QTableView*>()) {
        days->verticalHeader()->setMinimumSectionSize(1);
        days->horizontalHeader()->setMinimumSectionSize(1);
    }
    return calendar;
}

QWidget* makeSpin(const LayoutControl& row, QWidget* surface)
{
    auto* spin = new QSpinBox(surface);
    if (row.hasFlag(QStringLiteral("range"))) {
        const QStringList ends = row.flag(QStringLiteral("range")).split(u',');
        spin->setRange(ends[0].toInt(), ends[1].toInt());
    }
    spin->setWrapping(row.hasFlag(QStringLiteral("wrap")));
    return spin;
}

// clang-format off
const ControlKind kKinds[] = {
    // kind          widget                               own flags                                        make          labelled
    {"button",     &QPushButton::staticMetaObject,     "default image",                                 makeButton,   false},
    {"radio",      &QRadioButton::staticMetaObject,    "group value fallback",                          makeRadio,    false},
    {"checkbox",   &QCheckBox::staticMetaObject,       "setting",                                       makeCheckBox, false},
    {"groupbox",   &QGroupBox::staticMetaObject,       "separator",                                     makeFrame,    false},
    {"radiogroup", &QGroupBox::staticMetaObject,       "group setting",                                 makeFrame,    false},
    {"bitmap",     &QLabel::staticMetaObject,          "image",                                         makeImage,    false},
    {"icon",       &QLabel::staticMetaObject,          "image",                                         makeImage,    false},
    {"text",       &QLabel::staticMetaObject,          "right center nowrap framed purpose",            makeText,     false},
    {"edit",       &QLineEdit::staticMetaObject,       "label password readonly maxlength uppercase digits setting", makeEdit, true},
    {"date",       &QLineEdit::staticMetaObject,       "label readonly",                                makeDate,     true},
    {"combo",      &QComboBox::staticMetaObject,       "label editable sorted items setting",           makeCombo,    true},
    {"listbox",    &QListWidget::staticMetaObject,     "label sorted single",                           makeListBox,  true},
    {"listview",   &QTreeWidget::staticMetaObject,     "label single checkboxes fullrow",               makeListView, true},
    {"table",      &QTreeView::staticMetaObject,       "label",                                         makeTable,    true},
    {"tab",        &QTabWidget::staticMetaObject,      "",                                              makeTab,      false},
    {"calendar",   &QCalendarWidget::staticMetaObject, "",                                              makeCalendar, false},
    {"spin",       &QSpinBox::staticMetaObject,        "label range wrap",                              makeSpin,     true},
};

struct FlagForm
{
    const char* name;
    FlagValue value;
};

const FlagForm kFlags[] = {
    // every control
    {"hidden", FlagValue::None}, {"disabled", FlagValue::None}, {"tooltip", FlagValue::Text},
    {"accessible", FlagValue::Text}, {"font", FlagValue::Font}, {"pt", FlagValue::Points},
    {"bold", FlagValue::None}, {"underline", FlagValue::None}, {"color", FlagValue::Colour},
    {"background", FlagValue::Colour},
    // some kinds
    {"default", FlagValue::None}, {"image", FlagValue::Image}, {"group", FlagValue::Text},
    {"value", FlagValue::Text}, {"separator", FlagValue::None}, {"right", FlagValue::None},
    {"center", FlagValue::None}, {"nowrap", FlagValue::None}, {"framed", FlagValue::None},
    {"label", FlagValue::Text}, {"password", FlagValue::None}, {"readonly", FlagValue::None},
    {"maxlength", FlagValue::Number}, {"uppercase", FlagValue::None}, {"digits", FlagValue::None},
    {"editable", FlagValue::None}, {"sorted", FlagValue::None}, {"items", FlagValue::Items},
    {"single", FlagValue::None}, {"checkboxes", FlagValue::None}, {"fullrow", FlagValue::None},
    {"range", FlagValue::Range}, {"wrap", FlagValue::None}, {"purpose", FlagValue::Text},
    {"setting", FlagValue::Text}, {"fallback", FlagValue::None},
};

const char* const kCommonFlags[] = {
    "hidden", "disabled", "tooltip", "accessible", "font", "pt", "bold", "underline", "color", "background",
};

// The layouts name the fonts of the dialogs they were drawn for; each maps to the installed face
// closest in advance widths, so captions keep the room they were given. Liberation Sans is
// metric-compatible with Arial. Microsoft Sans Serif (which "MS Shell Dlg" stands for) has no
// free twin; its letters are close to Arial's in width, so Liberation Sans stands in for it too
// (DejaVu Sans, the other sans face installed, runs some 6 % wider). "@Arial Unicode MS" is the
// vertical-writing name of a face with Arial's Latin metrics.
struct FontMapping
{
    const char* windows;
    const char* installed;
};
const FontMapping kFonts[] = {
    {"MS Shell Dlg",         "Liberation Sans"},
    {"Microsoft Sans Serif", "Liberation Sans"},
    {"Arial",                "Liberation Sans"},
    {"@Arial Unicode MS",    "Liberation Sans"},
};
// clang-format on

bool listed(const char* words, const QString& word)
{
    return QString::fromLatin1(words).split(u' ', Qt::SkipEmptyParts).contains(word);
}

bool isColour(const QString& value)
{
    const QStringList parts = value.split(u',');
    if (parts.size() == 3) {
        for (const QString& part : parts) {
            bool ok = false;
            const int channel = part.toInt(&ok);
            if (!ok || channel < 0 || channel > 255) {
                return false;
            }
        }
        return true;
    }
    return QColor::isValidColorName(value);
}

} // namespace

std::optional<int> tableNumber(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 0 || value > 32767) {
        return std::nullopt;
    }
    return value;
}

const ControlKind* controlKind(const QString& name)
{
    for (const ControlKind& kind : kKinds) {
        if (name == QLatin1String(kind.name)) {
            return &kind;
        }
    }
    return nullptr;
}

bool isWindowFlag(const QString& flag)
{
    return flag == QLatin1String("font") || flag == QLatin1String("pt");
}

bool takesFlag(const ControlKind& kind, const QString& flag)
{
    for (const char* common : kCommonFlags) {
        if (flag == QLatin1String(common)) {
            return true;
        }
    }
    return listed(kind.flags, flag);
}

const FlagValue* flagValue(const QString& flag)
{
    for (const FlagForm& form : kFlags) {
        if (flag == QLatin1String(form.name)) {
            return &form.value;
        }
    }
    return nullptr;
}

bool checkFlagValue(const QString& flag, const QString& value, FlagValue form, QString* reason)
{
    bool ok = true;
    switch (form) {
    case FlagValue::None:
        if (!value.isNull()) {
            *reason = QStringLiteral("flag '%1' takes no value").arg(flag);
            return false;
        }
        return true;
    case FlagValue::Text:
    case FlagValue::Items:
        ok = !value.isEmpty();
        break;
    case FlagValue::Number:
        ok = tableNumber(value).has_value();
        break;
    case FlagValue::Points: {
        const double points = value.toDouble(&ok);
        ok = ok && points >= 1 && points <= 72;
        break;
    }
    case FlagValue::Range: {
        const QStringList ends = value.split(u',');
        bool first = false;
        bool second = false;
        ok = ends.size() == 2 && (ends[0].toInt(&first) <= ends[1].toInt(&second)) && first && second;
        break;
    }
    case FlagValue::Colour:
        ok = isColour(value);
        break;
    case FlagValue::Font:
        ok = !fontFamilyFor(value).isEmpty();
        break;
    case FlagValue::Image:
        ok = hasImage(value);
        break;
    }
    if (!ok) {
        *reason = value.isEmpty() ? QStringLiteral("flag '%1' needs a value").arg(flag)
                                  : QStringLiteral("bad %1 '%2'").arg(flag, value);
    }
    return ok;
}

QString fontFamilyFor(const QString& windowsFamily)
{
    for (const FontMapping& font : kFonts) {
        if (windowsFamily == QLatin1String(font.windows)) {
            return QString::fromLatin1(font.installed);
        }
    }
    return {};
}

} // namespace ui
