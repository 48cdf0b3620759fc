#include "ui/DialogLayout.h"

#include "ui/Images.h"
#include "ui/ResourceTable.h"

#include <QButtonGroup>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>

#include <cstdlib>

namespace ui {

namespace {

QString g_sansFamily = QStringLiteral("Sans Serif");

} // namespace

// Quotes may start inside a value, so flag="a b" is one value.
std::optional<QStringList> DialogLayout::splitRow(const QString& line)
{
    QStringList cells;
    QString cell;
    bool inCell = false;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == u'"' && i + 1 < line.size() && line.at(i + 1) == u'"') {
                cell += c;
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == u'"') {
            quoted = true;
            inCell = true;
        } else if (c.isSpace()) {
            if (inCell) {
                cells << cell;
                cell.clear();
                inCell = false;
            }
        } else {
            cell += c;
            inCell = true;
        }
    }
    if (quoted) {
        return std::nullopt;
    }
    if (inCell) {
        cells << cell;
    }
    return cells;
}

namespace {

std::optional<int> smallNumber(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 0 || value > 32767) {
        return std::nullopt;
    }
    return value;
}

QString dash(const QString& cell)
{
    return cell == u'-' ? QString() : cell;
}

std::optional<LayoutControl> parseRow(const QStringList& cells, QString* reason)
{
    if (cells.size() < 8) {
        *reason = QStringLiteral("needs kind, id, name, caption, x, y, w, h");
        return std::nullopt;
    }
    LayoutControl row;
    row.kind = cells[0];
    if (cells[1] != u'-') {
        const auto id = smallNumber(cells[1]);
        if (!id) {
            *reason = QStringLiteral("bad id '%1'").arg(cells[1]);
            return std::nullopt;
        }
        row.id = *id;
    }
    row.name = dash(cells[2]);
    row.caption = dash(cells[3]);
    int numbers[4];
    for (int i = 0; i < 4; ++i) {
        const auto value = smallNumber(cells[4 + i]);
        if (!value) {
            *reason = QStringLiteral("bad number '%1'").arg(cells[4 + i]);
            return std::nullopt;
        }
        numbers[i] = *value;
    }
    row.units = QRect(numbers[0], numbers[1], numbers[2], numbers[3]);
    for (qsizetype i = 8; i < cells.size(); ++i) {
        const qsizetype equals = cells[i].indexOf(u'=');
        if (equals < 0) {
            row.flags.insert(cells[i], QString());
        } else {
            row.flags.insert(cells[i].left(equals), cells[i].mid(equals + 1));
        }
    }
    if (row.name.isEmpty() && row.id < 0 && row.kind != QLatin1String("dialog")) {
        *reason = QStringLiteral("a control needs a name or an id");
        return std::nullopt;
    }
    return row;
}

QColor colorFlag(const QString& value)
{
    const QStringList parts = value.split(u',');
    if (parts.size() == 3) {
        return QColor(parts[0].toInt(), parts[1].toInt(), parts[2].toInt());
    }
    return QColor(value);
}

void applyLook(QWidget* widget, const LayoutControl& row)
{
    if (row.hasFlag(QStringLiteral("font")) || row.hasFlag(QStringLiteral("pt"))) {
        const double points = row.hasFlag(QStringLiteral("pt")) ? row.flag(QStringLiteral("pt")).toDouble() : 8.0;
        QFont font = DialogLayout::mapFont(row.flag(QStringLiteral("font")), points);
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

QLabel* imageLabel(const LayoutControl& row, QWidget* surface)
{
    auto* label = new QLabel(surface);
    const QString image = row.hasFlag(QStringLiteral("image")) ? row.flag(QStringLiteral("image")) : row.name;
    // Static images show at their own size, centred in the control as the dialog manager does.
    label->setPixmap(imagePixmap(image));
    label->setAlignment(Qt::AlignCenter);
    label->setProperty("image", image);
    return label;
}

QTreeWidget* listView(const LayoutControl& row, QWidget* surface)
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
    view->setProperty("checkboxes", row.hasFlag(QStringLiteral("checkboxes")));
    return view;
}

QLineEdit* lineEdit(const LayoutControl& row, QWidget* surface)
{
    auto* edit = new QLineEdit(surface);
    if (row.hasFlag(QStringLiteral("password"))) {
        edit->setEchoMode(QLineEdit::Password);
    }
    edit->setReadOnly(row.hasFlag(QStringLiteral("readonly")));
    if (const auto length = smallNumber(row.flag(QStringLiteral("maxlength"))); length && *length > 0) {
        edit->setMaxLength(*length);
    }
    return edit;
}

QWidget* frame(const LayoutControl& row, QWidget* surface)
{
    auto* box = new QGroupBox(row.caption, surface);
    // A group box only frames its neighbours; clicks go through to the controls drawn over it.
    box->setAttribute(Qt::WA_TransparentForMouseEvents);
    return box;
}

} // namespace

QString LayoutControl::objectName() const
{
    return name.isEmpty() ? QStringLiteral("ID_%1").arg(id) : name;
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
    control->setAccessibleName(withoutMnemonic(caption));
}

QString withoutMnemonic(const QString& caption)
{
    QString result;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == u'&' && i + 1 < caption.size()) {
            ++i;
        }
        result += caption.at(i);
    }
    return result;
}

bool forEachTableRow(
    const QString& text, const std::function<bool(const QStringList& cells, QString* reason)>& row, QString* error)
{
    const QStringList lines = text.split(u'\n');
    for (qsizetype number = 0; number < lines.size(); ++number) {
        const QString line = lines[number].trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) {
            continue;
        }
        QString reason = QStringLiteral("unbalanced quote");
        const auto cells = DialogLayout::splitRow(line);
        if (!cells || !row(*cells, &reason)) {
            if (error) {
                *error = QStringLiteral("line %1: %2").arg(number + 1).arg(reason);
            }
            return false;
        }
    }
    return true;
}

std::optional<DialogLayout> DialogLayout::parse(const QString& text, QString* error)
{
    DialogLayout layout;
    bool haveWindow = false;
    const bool read = forEachTableRow(
        text,
        [&](const QStringList& cells, QString* reason) {
            std::optional<LayoutControl> row = parseRow(cells, reason);
            if (row && !haveWindow && row->kind != QLatin1String("dialog")) {
                *reason = QStringLiteral("the first row must be the dialog");
                return false;
            }
            if (!row) {
                return false;
            }
            if (!haveWindow) {
                layout.m_window = *row;
                haveWindow = true;
            } else {
                layout.m_controls << *row;
            }
            return true;
        },
        error);
    if (read && !haveWindow && error) {
        *error = QStringLiteral("no dialog row");
    }
    if (!read || !haveWindow) {
        return std::nullopt;
    }
    return layout;
}

DialogLayout DialogLayout::load(const QString& name)
{
    return loadResourceTable<DialogLayout>(QStringLiteral(":/layouts/%1.layout").arg(name));
}

const LayoutControl* DialogLayout::control(const QString& objectName) const
{
    for (const LayoutControl& row : m_controls) {
        if (row.objectName() == objectName) {
            return &row;
        }
    }
    return nullptr;
}

QFont DialogLayout::dialogFont() const
{
    const double points = m_window.hasFlag(QStringLiteral("pt")) ? m_window.flag(QStringLiteral("pt")).toDouble() : 8.0;
    return mapFont(m_window.flag(QStringLiteral("font")), points);
}

QFont DialogLayout::mapFont(const QString& family, double points)
{
    // The layouts name Windows fonts ("MS Shell Dlg", "Microsoft Sans Serif", "@Arial Unicode
    // MS"); all of them are plain sans faces, so one sans family stands in for each.
    (void)family;
    QFont font(g_sansFamily);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points > 0 ? points : 8.0);
    return font;
}

void DialogLayout::setSansFamily(const QString& family)
{
    g_sansFamily = family;
}

QString DialogLayout::sansFamily()
{
    return g_sansFamily;
}

BaseUnits DialogLayout::baseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int letters
        = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // The average of the 52 letters, rounded to nearest the way the dialog manager rounds it.
    return { (letters / 26 + 1) / 2, metrics.height() };
}

int DialogLayout::mulDiv(int a, int b, int c)
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

QRect DialogLayout::toPixels(const QRect& units, BaseUnits base)
{
    // x counts quarters of the base width and y eighths of the base height. Each edge is
    // converted on its own, as the dialog manager maps rectangles, so neighbours stay flush.
    const int left = mulDiv(units.x(), base.x, 4);
    const int top = mulDiv(units.y(), base.y, 8);
    const int right = mulDiv(units.x() + units.width(), base.x, 4);
    const int bottom = mulDiv(units.y() + units.height(), base.y, 8);
    return QRect(left, top, right - left, bottom - top);
}

void DialogLayout::build(QWidget* surface) const
{
    const QFont font = dialogFont();
    surface->setFont(font);
    const BaseUnits base = baseUnits(font);
    const QRect window = toPixels(QRect(QPoint(0, 0), sizeInUnits()), base);
    surface->setFixedSize(window.size());
    if (surface->isWindow()) {
        surface->setObjectName(name());
        surface->setWindowTitle(caption());
        surface->setAccessibleName(caption());
    }

    QMap<QString, QButtonGroup*> groups;
    QList<QWidget*> frames;
    for (qsizetype index = 0; index < m_controls.size(); ++index) {
        const LayoutControl& row = m_controls[index];
        QWidget* widget = createControl(row, surface);
        widget->setObjectName(row.objectName());
        widget->setGeometry(toPixels(row.units, base));
        widget->setAccessibleName(accessibleNameOf(index));
        widget->setProperty("controlId", row.id);
        applyLook(widget, row);
        if (row.hasFlag(QStringLiteral("hidden"))) {
            widget->hide();
        }
        if (row.hasFlag(QStringLiteral("tooltip"))) {
            widget->setToolTip(row.flag(QStringLiteral("tooltip")));
        }
        if (row.hasFlag(QStringLiteral("disabled"))) {
            widget->setEnabled(false);
        }
        if (row.kind == QLatin1String("groupbox") || row.kind == QLatin1String("radiogroup")) {
            frames << widget;
        }
        if (auto* radio = qobject_cast<QRadioButton*>(widget); radio && row.hasFlag(QStringLiteral("group"))) {
            // Radio buttons that share a surface would all exclude each other in Qt; the
            // table's groups say which ones belong together.
            QButtonGroup*& group = groups[row.flag(QStringLiteral("group"))];
            if (group == nullptr) {
                group = new QButtonGroup(surface);
                group->setObjectName(row.flag(QStringLiteral("group")) + QStringLiteral("_buttons"));
            }
            group->addButton(radio);
            radio->setProperty("value", row.flag(QStringLiteral("value")));
        }
    }
    // Frames are drawn beneath every other control whatever their place in the table.
    for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
        (*it)->lower();
    }
}

QWidget* DialogLayout::createControl(const LayoutControl& row, QWidget* surface) const
{
    const QString& kind = row.kind;
    if (kind == QLatin1String("button")) {
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
    if (kind == QLatin1String("radio")) {
        return new QRadioButton(row.caption, surface);
    }
    if (kind == QLatin1String("checkbox")) {
        return new QCheckBox(row.caption, surface);
    }
    if (kind == QLatin1String("groupbox") || kind == QLatin1String("radiogroup")) {
        return frame(row, surface);
    }
    if (kind == QLatin1String("bitmap") || kind == QLatin1String("icon")) {
        return imageLabel(row, surface);
    }
    if (kind == QLatin1String("text")) {
        auto* label = new QLabel(surface);
        // A dialog's text control shows its text as it stands; a setting shown there, such as
        // a Schema of "<b>CSV</b>", must not turn into markup.
        label->setTextFormat(Qt::PlainText);
        label->setText(row.caption);
        label->setAlignment(
            row.hasFlag(QStringLiteral("right")) ? (Qt::AlignRight | Qt::AlignTop) : (Qt::AlignLeft | Qt::AlignTop));
        label->setWordWrap(!row.hasFlag(QStringLiteral("nowrap")));
        return label;
    }
    if (kind == QLatin1String("edit")) {
        return lineEdit(row, surface);
    }
    if (kind == QLatin1String("combo")) {
        auto* combo = new QComboBox(surface);
        combo->setEditable(row.hasFlag(QStringLiteral("editable")));
        return combo;
    }
    if (kind == QLatin1String("listbox")) {
        return new QListWidget(surface);
    }
    if (kind == QLatin1String("listview")) {
        return listView(row, surface);
    }
    if (kind == QLatin1String("tab")) {
        return new QTabWidget(surface);
    }
    if (kind == QLatin1String("calendar")) {
        return new QCalendarWidget(surface);
    }
    if (kind == QLatin1String("spin")) {
        return new QSpinBox(surface);
    }
    qFatal("Dialog layout %s: control %s has the unknown kind %s", qPrintable(name()), qPrintable(row.objectName()),
        qPrintable(kind));
}

QString DialogLayout::accessibleNameOf(qsizetype index) const
{
    const LayoutControl& row = m_controls[index];
    if (row.hasFlag(QStringLiteral("accessible"))) {
        return row.flag(QStringLiteral("accessible"));
    }
    // Edits, lists and combo boxes carry no caption of their own; screen readers name them
    // after their label, given as label=<control> or else the text row just before them.
    // accessible=<text> names a control that has neither, such as an image.
    const bool labelled = row.kind == QLatin1String("edit") || row.kind == QLatin1String("combo")
        || row.kind == QLatin1String("spin") || row.kind == QLatin1String("listbox")
        || row.kind == QLatin1String("listview");
    if (labelled && row.caption.isEmpty()) {
        if (row.hasFlag(QStringLiteral("label"))) {
            if (const LayoutControl* label = control(row.flag(QStringLiteral("label")))) {
                return withoutMnemonic(label->caption);
            }
        }
        if (index > 0 && m_controls[index - 1].kind == QLatin1String("text")) {
            return withoutMnemonic(m_controls[index - 1].caption);
        }
    }
    return withoutMnemonic(row.caption);
}

void DialogLayout::bindFailed(const char* name, const char* expected, QWidget* found) const
{
    if (found == nullptr) {
        qFatal("Dialog %s: no control named %s", qPrintable(this->name()), name);
    }
    qFatal("Dialog %s: control %s is a %s, not a %s", qPrintable(this->name()), name, found->metaObject()->className(),
        expected);
}

} // namespace ui
