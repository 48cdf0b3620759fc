#pragma once

#include <QFont>
#include <QList>
#include <QMap>
#include <QRect>
#include <QString>
#include <QWidget>

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

    // The control name, or "ID_<id>" for an unnamed control.
    QString objectName() const;
    bool hasFlag(const QString& flag) const { return flags.contains(flag); }
    QString flag(const QString& flag) const { return flags.value(flag); }
};

// Horizontal and vertical dialog base units in pixels.
struct BaseUnits
{
    int x = 0;
    int y = 0;
};

// A dialog layout: the window row and its controls, read from a layout table. A table has one
// row per line, the columns separated by blanks: kind, id, name, caption, x, y, w, h, then
// flags. "-" stands for an empty id, name or caption; a value with blanks goes in double quotes
// ("" inside quotes is one quote). Lines starting with '#' are comments. The first row is the
// window itself: kind "dialog", its size in w and h and its font in the flags.
//
// Kinds: button, radio, checkbox, groupbox, radiogroup, bitmap, icon, text, edit, combo,
// listbox, listview, tab, calendar, spin. Flags: hidden, disabled, tooltip=<text>,
// accessible=<name>, font=<family> pt=<size> bold underline color=<r,g,b> background=<colour>;
// button: default, image=<name>; radio: group=<name> value=<text>; bitmap and icon:
// image=<name> (else the control name); text: right, nowrap; edit: password, readonly,
// maxlength=<n>; combo: editable; listview: single, checkboxes, fullrow; edit, combo, spin,
// listbox and listview: label=<control> names the text they are read out by.
class DialogLayout
{
public:
    // The layout parsed from table text, or nothing with the line and reason in *error.
    static std::optional<DialogLayout> parse(const QString& text, QString* error = nullptr);

    // The layout compiled into the program as :/layouts/<name>.layout. A missing or broken
    // table is a defect of the build, so this stops the program with the reason.
    static DialogLayout load(const QString& name);

    const QString& name() const { return m_window.name; }
    const QString& caption() const { return m_window.caption; }
    QSize sizeInUnits() const { return m_window.units.size(); }
    const QList<LayoutControl>& controls() const { return m_controls; }
    const LayoutControl* control(const QString& objectName) const;

    // The window's font: the family named in the table mapped to the font this platform has.
    QFont dialogFont() const;

    // Creates every control as a child of surface, with pixel geometry from the dialog font's
    // base units, objectName, accessible name, font, image and flags; gives surface the dialog
    // font and its fixed size, and when surface is a window also the caption and the name.
    void build(QWidget* surface) const;

    // Points member at the control called name below parent. A missing control or one of
    // another type stops the program at once with both names: a layout and its code disagree.
    template <class T> void bind(QWidget* parent, const char* name, T*& member) const
    {
        QWidget* found = parent->findChild<QWidget*>(QString::fromLatin1(name));
        member = qobject_cast<T*>(found);
        if (member == nullptr) {
            bindFailed(name, T::staticMetaObject.className(), found);
        }
    }

    // Windows font families map to one sans family. Tests pin it so geometry is repeatable.
    static QFont mapFont(const QString& family, double points);
    static void setSansFamily(const QString& family);
    static QString sansFamily();

    // Base units of a font: x is the average width of A-Z a-z, rounded as the dialog manager
    // does; y the font height.
    static BaseUnits baseUnits(const QFont& font);
    // a * b / c rounded half away from zero, without overflow for the sizes used here.
    static int mulDiv(int a, int b, int c);
    // One table row split at blanks; double quotes group blanks into a value and "" inside
    // them is one quote. Nothing when a quote is left open.
    static std::optional<QStringList> splitRow(const QString& line);

    // Dialog units to pixels: x counts quarters of base x, y eighths of base y.
    static QRect toPixels(const QRect& units, BaseUnits base);

private:
    [[noreturn]] void bindFailed(const char* name, const char* expected, QWidget* found) const;
    QWidget* createControl(const LayoutControl& row, QWidget* surface) const;
    QString accessibleNameOf(qsizetype index) const;

    LayoutControl m_window;
    QList<LayoutControl> m_controls;
};

// Changes the text a button or a label shows, and its accessible name with it.
void setCaption(QWidget* control, const QString& caption);

// The caption without its mnemonic marks: "&Opslaan" reads "Opslaan", "&&" stays one "&".
QString withoutMnemonic(const QString& caption);

} // namespace ui
