#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace ui {

// Makes the program's compiled-in resources (layouts, menus, images) reachable. Safe to call
// any number of times; the static libraries would otherwise drop them at link time.
void ensureResources();

// The named images of the program (A_ICOON, BMP_VARO, ICO_ORD_ON, ...), drawn from the SVG
// artwork in :/images/<name>.svg, or where Qt has no SVG support from the PNGs rendered from it
// at build time.
bool hasImage(const QString& name);
// The size the image is meant to be shown at, in pixels.
QSize imageSize(const QString& name);
// The image rendered at size (its own size when size is empty); a null pixmap for an unknown name.
QPixmap imagePixmap(const QString& name, QSize size = QSize());
QIcon imageIcon(const QString& name);

// The image the code creates itself; the layouts name the others directly.
class A_ICOON : public QIcon
{
public:
    A_ICOON();
};

} // namespace ui
