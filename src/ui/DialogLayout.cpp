#include "ui/DialogLayout.h"

#include "ui/LayoutKinds.h"
#include "ui/ResourceTable.h"

#include <QDir>

namespace ui {

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

QString dash(const QString& cell)
{
    return cell == u'-' ? QString() : cell;
}

// A flag without '=' has a null value, so "label=" (empty) and "label" stay apart.
bool readFlags(const QStringList& cells, LayoutControl& row, QString* reason)
{
    const bool window = row.kind == QLatin1String("dialog");
    const ControlKind* kind = window ? nullptr : controlKind(row.kind);
    for (qsizetype i = 8; i < cells.size(); ++i) {
        const qsizetype equals = cells[i].indexOf(u'=');
        const QString flag = equals < 0 ? cells[i] : cells[i].left(equals);
        const QString value = equals < 0 ? QString() : cells[i].mid(equals + 1);
        const FlagValue* form = flagValue(flag);
        if (form == nullptr) {
            *reason = QStringLiteral("unknown flag '%1'").arg(flag);
            return false;
        }
        if (window ? !isWindowFlag(flag) : !takesFlag(*kind, flag)) {
            *reason = QStringLiteral("flag '%1' does not go with kind '%2'").arg(flag, row.kind);
            return false;
        }
        if (!checkFlagValue(flag, value, *form, reason)) {
            return false;
        }
        if (row.flags.contains(flag)) {
            *reason = QStringLiteral("flag '%1' given twice").arg(flag);
            return false;
        }
        row.flags.insert(flag, value);
    }
    return true;
}

std::optional<LayoutControl> parseRow(const QStringList& cells, QString* reason)
{
    if (cells.size() < 8) {
        *reason = QStringLiteral("needs kind, id, name, caption, x, y, w, h");
        return std::nullopt;
    }
    LayoutControl row;
    row.kind = cells[0];
    if (row.kind != QLatin1String("dialog") && controlKind(row.kind) == nullptr) {
        *reason = QStringLiteral("unknown kind '%1'").arg(row.kind);
        return std::nullopt;
    }
    if (cells[1] != u'-') {
        const auto id = tableNumber(cells[1]);
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
        const auto value = tableNumber(cells[4 + i]);
        if (!value) {
            *reason = QStringLiteral("bad number '%1'").arg(cells[4 + i]);
            return std::nullopt;
        }
        numbers[i] = *value;
    }
    row.units = QRect(numbers[0], numbers[1], numbers[2], numbers[3]);
    if (!readFlags(cells, row, reason)) {
        return std::nullopt;
    }
    if (row.name.isEmpty() && row.id < 0 && row.kind != QLatin1String("dialog")) {
        *reason = QStringLiteral("a control needs a name or an id");
        return std::nullopt;
    }
    // An image control without image= shows the image of its own name.
    if ((row.kind == QLatin1String("bitmap") || row.kind == QLatin1String("icon"))
        && !row.hasFlag(QStringLiteral("image")) && !hasImage(row.name)) {
        *reason = QStringLiteral("no image named '%1'").arg(row.objectName());
        return std::nullopt;
    }
    return row;
}

} // namespace

QString LayoutControl::objectName() const
{
    return name.isEmpty() ? QStringLiteral("ID_%1").arg(id) : name;
}

bool LayoutControl::isStatic() const
{
    static const QStringList kinds { QStringLiteral("text"), QStringLiteral("groupbox"), QStringLiteral("radiogroup"),
        QStringLiteral("bitmap"), QStringLiteral("icon") };
    return kinds.contains(kind);
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

bool forEachTableRow(const QString& text,
    const std::function<bool(const QStringList& cells, int line, QString* reason)>& row, QString* error)
{
    const QStringList lines = text.split(u'\n');
    for (qsizetype number = 0; number < lines.size(); ++number) {
        const QString line = lines[number].trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) {
            continue;
        }
        QString reason = QStringLiteral("unbalanced quote");
        const auto cells = DialogLayout::splitRow(line);
        if (!cells || !row(*cells, static_cast<int>(number + 1), &reason)) {
            if (error) {
                *error = QStringLiteral("line %1: %2").arg(number + 1).arg(reason);
            }
            return false;
        }
    }
    return true;
}

std::optional<DialogLayout> DialogLayout::parse(const QString& text, QString* error, const QString& source)
{
    DialogLayout layout;
    bool haveWindow = false;
    const bool read = forEachTableRow(
        text,
        [&](const QStringList& cells, int line, QString* reason) {
            std::optional<LayoutControl> row = parseRow(cells, reason);
            if (!row) {
                return false;
            }
            row->line = line;
            const bool isWindow = row->kind == QLatin1String("dialog");
            if (isWindow == haveWindow) {
                *reason = haveWindow ? QStringLiteral("only the first row may be the dialog")
                                     : QStringLiteral("the first row must be the dialog");
                return false;
            }
            if (isWindow) {
                layout.m_window = *row;
                haveWindow = true;
            } else if (const LayoutControl* twin = layout.control(row->objectName())) {
                *reason = QStringLiteral("%1 is named twice (line %2)").arg(row->objectName()).arg(twin->line);
                return false;
            } else {
                layout.m_controls << *row;
            }
            return true;
        },
        error);
    if (read && !haveWindow && error) {
        *error = QStringLiteral("no dialog row");
    }
    if (!read || !haveWindow || !layout.checkNames(error)) {
        return std::nullopt;
    }
    layout.m_source = source.isEmpty() ? layout.name() : source;
    return layout;
}

// label= may name a control further down the table, and a radio group's buttons may follow its
// frame, so names are checked once all rows are read.
bool DialogLayout::checkNames(QString* error) const
{
    QString reason;
    QMap<QString, int> settings;
    for (const LayoutControl& row : m_controls) {
        const QString setting = row.flag(QStringLiteral("setting"));
        if (row.hasFlag(QStringLiteral("label")) && control(row.flag(QStringLiteral("label"))) == nullptr) {
            reason = QStringLiteral("label '%1' names no control").arg(row.flag(QStringLiteral("label")));
        } else if (!setting.isEmpty() && settings.contains(setting)) {
            reason = QStringLiteral("setting %1 is shown twice (line %2)").arg(setting).arg(settings.value(setting));
        } else if (!setting.isEmpty() && row.kind == QLatin1String("radiogroup")) {
            const QList<const LayoutControl*> buttons = radioGroup(row.flag(QStringLiteral("group")));
            if (buttons.isEmpty()) {
                reason = QStringLiteral("setting %1 needs a group= of radio buttons").arg(setting);
            }
            for (const LayoutControl* button : buttons) {
                if (!button->hasFlag(QStringLiteral("value"))) {
                    reason = QStringLiteral("%1 (line %2) shows setting %3 without value=")
                                 .arg(button->objectName())
                                 .arg(button->line)
                                 .arg(setting);
                }
            }
        }
        if (!reason.isEmpty()) {
            if (error) {
                *error = QStringLiteral("line %1: %2").arg(row.line).arg(reason);
            }
            return false;
        }
        if (!setting.isEmpty()) {
            settings.insert(setting, row.line);
        }
    }
    return true;
}

DialogLayout DialogLayout::load(const QString& name)
{
    const QString source = QStringLiteral("layouts/%1.layout").arg(name);
    return loadResourceTable<DialogLayout>(QStringLiteral(":/") + source, source);
}

QStringList DialogLayout::compiledIn()
{
    ensureResources();
    QStringList names;
    for (const QString& file :
        QDir(QStringLiteral(":/layouts")).entryList({ QStringLiteral("*.layout") }, QDir::Files)) {
        names << file.chopped(int(sizeof(".layout") - 1));
    }
    names.sort();
    return names;
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

QList<const LayoutControl*> DialogLayout::settingRows() const
{
    QList<const LayoutControl*> rows;
    for (const LayoutControl& row : m_controls) {
        if (row.hasFlag(QStringLiteral("setting"))) {
            rows << &row;
        }
    }
    return rows;
}

QString DialogLayout::settingOf(const LayoutControl& row) const
{
    if (row.hasFlag(QStringLiteral("setting")) || row.kind != QLatin1String("radio")) {
        return row.flag(QStringLiteral("setting"));
    }
    for (const LayoutControl& frame : m_controls) {
        if (frame.kind == QLatin1String("radiogroup") && frame.hasFlag(QStringLiteral("group"))
            && frame.flag(QStringLiteral("group")) == row.flag(QStringLiteral("group"))) {
            return frame.flag(QStringLiteral("setting"));
        }
    }
    return {};
}

QList<const LayoutControl*> DialogLayout::radioGroup(const QString& group) const
{
    QList<const LayoutControl*> buttons;
    for (const LayoutControl& row : m_controls) {
        if (row.kind == QLatin1String("radio") && row.hasFlag(QStringLiteral("group"))
            && row.flag(QStringLiteral("group")) == group) {
            buttons << &row;
        }
    }
    return buttons;
}

QList<const LayoutControl*> DialogLayout::rowsInside(const QString& frame) const
{
    QList<const LayoutControl*> rows;
    const LayoutControl* around = control(frame);
    if (around == nullptr) {
        return rows;
    }
    for (const LayoutControl& row : m_controls) {
        if (&row != around && !row.name.isEmpty() && around->units.contains(row.units.center())) {
            rows << &row;
        }
    }
    return rows;
}

QList<const LayoutControl*> DialogLayout::numbered(const QString& prefix, int count) const
{
    QList<const LayoutControl*> rows;
    for (int number = 1; number <= count; ++number) {
        if (const LayoutControl* row = control(prefix + QString::number(number))) {
            rows << row;
        }
    }
    return rows;
}

} // namespace ui
