#pragma once

#include <QList>
#include <QMap>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

namespace ui {

// One row of a layout table: a control with its position in dialog units and its flags
// ("default", "hidden", "image=BMP_VARO", "group=RADIOBUTTONGROUP1", ...).
struct LayoutControl
{
    QString kind;
    int id = -1;
    QString name; // empty for controls the code never addresses
    QString caption;
    QRect units;
    QMap<QString, QString> flags;
    int line = 0; // where the row stands in its table, for messages

    // The control name, or "ID_<id>" for an unnamed control.
    QString objectName() const;
    bool hasFlag(const QString& flag) const { return flags.contains(flag); }
    QString flag(const QString& flag) const { return flags.value(flag); }
    // Text, frame or image: shown as the table says, never read or changed by code.
    bool isStatic() const;
};

// A dialog layout: the window row and its controls, read from a layout table. A table has one
// row per line, the columns separated by blanks: kind, id, name, caption, x, y, w, h, then
// flags. "-" stands for an empty id, name or caption; a value with blanks goes in double quotes
// ("" inside quotes is one quote). Lines starting with '#' are comments. The first row is the
// window itself: kind "dialog", its size in w and h and its font in the flags (font=, pt=). A
// tab page is a layout of its own, also starting with a dialog row.
//
// The kinds and the flags each one takes are the table in LayoutKinds.h; a row of an unknown
// kind, an unknown flag, a flag its kind does not take, a malformed flag value, a name used
// twice, a label= naming no control, a setting shown twice, or a radiogroup setting= whose group
// has no buttons or a button without value= is refused with its line.
class DialogLayout
{
public:
    // The layout parsed from table text, or nothing with the line and reason in *error.
    // source names the table in later messages ("layouts/INFO.layout").
    static std::optional<DialogLayout> parse(const QString& text, QString* error = nullptr, const QString& source = {});

    // The layout compiled into the program as :/layouts/<name>.layout. A missing or broken
    // table is a defect of the build, so this stops the program with the reason.
    static DialogLayout load(const QString& name);
    // The names of every layout compiled in, sorted.
    static QStringList compiledIn();

    const QString& name() const { return m_window.name; }
    const QString& caption() const { return m_window.caption; }
    // The table this layout came from, for messages: "layouts/<name>.layout" or the name.
    const QString& source() const { return m_source; }
    QSize sizeInUnits() const { return m_window.units.size(); }
    const LayoutControl& window() const { return m_window; }
    const QList<LayoutControl>& controls() const { return m_controls; }
    // The row whose objectName() is objectName, or null.
    const LayoutControl* control(const QString& objectName) const;

    // The rows that show a setting (setting=), in table order; a radio group counts once, by
    // its radiogroup row.
    QList<const LayoutControl*> settingRows() const;
    // The setting a row shows: its own setting=, or for a radio button its group frame's.
    QString settingOf(const LayoutControl& row) const;
    // The radio buttons of group=<group>, in table order.
    QList<const LayoutControl*> radioGroup(const QString& group) const;
    // The named rows drawn inside the frame called frame (their centre within it), in table
    // order: "the controls of the address box" without a list beside the table.
    QList<const LayoutControl*> rowsInside(const QString& frame) const;
    // The named rows prefix1 .. prefix<count>, in number order; a missing one is left out.
    QList<const LayoutControl*> numbered(const QString& prefix, int count) const;

    // One table row split at blanks; double quotes group blanks into a value and "" inside
    // them is one quote. Nothing when a quote is left open.
    static std::optional<QStringList> splitRow(const QString& line);

private:
    bool checkNames(QString* error) const;

    LayoutControl m_window;
    QList<LayoutControl> m_controls;
    QString m_source;
};

// The caption without its mnemonic marks: "&Opslaan" reads "Opslaan", "&&" stays one "&".
QString withoutMnemonic(const QString& caption);

} // namespace ui
