#pragma once

#include "ui/DialogLayout.h"

#include <QFont>
#include <QRect>
#include <QWidget>

class QTabWidget;

namespace ui {

// Horizontal and vertical dialog base units in pixels.
struct BaseUnits
{
    int x = 0;
    int y = 0;
};

// The font this platform draws a Windows family with ("MS Shell Dlg", "Arial", ...) at points;
// an unknown or empty family gives the one "MS Shell Dlg" maps to.
QFont mapFont(const QString& family, double points);
// The window's font: the family and size of the layout's dialog row, 8 points by default.
QFont dialogFont(const DialogLayout& layout);

// Base units of a font: x is the average width of A-Z a-z, rounded as the dialog manager does;
// y the font height.
BaseUnits baseUnits(const QFont& font);
// a * b / c rounded half away from zero, without overflow for the sizes used here.
int mulDiv(int a, int b, int c);
// Dialog units to pixels: x counts quarters of base x, y eighths of base y.
QRect toPixels(const QRect& units, BaseUnits base);

// Creates every control of layout as a direct child of surface, with pixel geometry from the
// dialog font's base units, objectName, accessible name, font, image and flags, in a tab order
// that reads the surface from top left to bottom right. surface gets the dialog font, its fixed
// size and, when it has none yet, the layout's name; a window also gets the caption as title.
void build(const DialogLayout& layout, QWidget* surface);

// Appends page, a surface built from a layout of its own (a settings page, say), to tabs under
// caption. The page keeps its own size; its accessible name is the caption unless it has one.
void addPage(QTabWidget* tabs, QWidget* page, const QString& caption);

// Changes the text a button or a label shows, and its accessible name with it ("purpose: value"
// for a text whose layout row gives a purpose).
void setCaption(QWidget* control, const QString& caption);

} // namespace ui
