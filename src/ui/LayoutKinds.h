#pragma once

#include <QString>

#include <optional>

struct QMetaObject;
class QWidget;

namespace ui {

struct LayoutControl;

// What a flag's value must look like.
enum class FlagValue {
    None, // a bare word: "hidden"
    Text, // any text: tooltip="Bewaar de gegevens"
    Number, // 0 to 32767: maxlength=20
    Points, // a point size: pt=8, pt=7.5
    Range, // two numbers: range=0,18
    Colour, // r,g,b or a colour name: color=0,128,192, background=white
    Items, // texts separated by '|': items="BE|NL|DE|LU|FR"
    Font, // one of the font families fontFamilyFor() knows
    Image, // one of the program's images
};

// The kinds of control a layout row may have, and what their own flags do:
//
//   button      QPushButton      default (Enter presses it), image=<name> (icon instead of caption)
//   radio       QRadioButton     group=<name> (buttons of one group exclude each other),
//                                value=<text> (kept as the property "value"), fallback (pressed
//                                when the group's setting holds none of its buttons' values)
//   checkbox    QCheckBox        setting=<name>
//   groupbox    QGroupBox        separator (a caption-less box drawn as a dividing line)
//   radiogroup  QGroupBox        the frame around a radio group: group=<name>, setting=<name>
//   bitmap,icon QLabel           image=<name>, else the image named like the control
//   text        QLabel           right, center, nowrap, framed (sunken panel); plain text only;
//                                purpose=<text> for a text the window changes while open (a
//                                counter, a status): its accessible name reads "purpose: value"
//   edit        QLineEdit        password, readonly, maxlength=<n>, uppercase, digits (0-9 typed),
//                                setting=<name>
//   date        QLineEdit        a "YYYY-MM-DD" field whose cleared displayText() is "    -  -  "
//   combo       QComboBox        editable, items="A|B|C", sorted (the items), setting=<name>; typed
//                                text never joins the list and is never completed or matched to an item
//   listbox     QListWidget      sorted, single (else extended selection)
//   listview    QTreeWidget      single, checkboxes, fullrow
//   table       QTreeView        rows of a model the code sets (read as they scroll into view)
//   tab         QTabWidget       pages go in with addPage()
//   calendar    QCalendarWidget  a month calendar
//   spin        QSpinBox         range=<lo>,<hi>, wrap
//
// edit, date, combo, listbox, listview, table and spin also take label=<control>: screen readers name
// them after that control's caption (else after the text row just before them). Every control
// takes hidden, disabled, tooltip=<text>, accessible=<name>, font=<family> pt=<points> bold
// underline color=<r,g,b> background=<colour>; the dialog row takes font= and pt=.
//
// setting=<name> names the element of config.xml the control shows: a settings page fills such a
// control from the settings record and stores it back without code of its own, an edit or combo
// as its text, a check box as "YES" or "NO", a radio group as the value= of its pressed button.
// Such a control, like a static one (text, groupbox, radiogroup, bitmap, icon), needs no member.
//
// One kind of control a layout row may have: the flags it takes besides the ones every control
// takes (hidden, disabled, tooltip, accessible, font, pt, bold, underline, color, background),
// the widget class it becomes, and how that widget is made.
struct ControlKind
{
    const char* name;
    const QMetaObject* widget;
    const char* flags; // its own flags, separated by blanks
    QWidget* (*make)(const LayoutControl& row, QWidget* surface);
    bool labelled; // has no caption of its own; named after its label
};

// A number of a layout table (id, position, size, maxlength): 0 to 32767, as a dialog
// template holds them; nothing for anything else.
std::optional<int> tableNumber(const QString& text);

// The kind called name, or null.
const ControlKind* controlKind(const QString& name);
// The flags a dialog row takes.
bool isWindowFlag(const QString& flag);
// Whether a control of kind takes flag.
bool takesFlag(const ControlKind& kind, const QString& flag);
// The value form of a known flag, or nothing for an unknown one.
const FlagValue* flagValue(const QString& flag);
// Checks value against form; false with the reason in *reason.
bool checkFlagValue(const QString& flag, const QString& value, FlagValue form, QString* reason);

// The font family this platform draws a Windows family with, or an empty text for a family the
// layouts may not name.
QString fontFamilyFor(const QString& windowsFamily);

} // namespace ui
