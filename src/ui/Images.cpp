#include "ui/Images.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

// Q_INIT_RESOURCE declares the resource's initialiser at the scope it is used in, so it must
// stand outside every namespace.
static void initResources()
{
    Q_INIT_RESOURCE(transvo);
}

namespace {

struct ImageInfo
{
    const char* name;
    int width;
    int height;
};

// clang-format off
const ImageInfo kImages[] = {
    {"A_ICOON",     32,  32},
    {"BMP_VARO",    80,  80},
    {"BMP_MC1000",  94, 200},
    {"ICO_ORD_OFF", 32,  32},
    {"ICO_ORD_ON",  32,  32},
    {"ICO_BENL",    32,  32},
    {"ICO_KNV",     32,  15},
    {"ICO_PRB",     32,  32},
    {"ICO_PR2",     32,  32},
    {"ICO_PRF",     32,  32},
    {"ICO_PRE",     32,  32},
    {"ICO_PRW",     32,  32},
};
// clang-format on

const ImageInfo* find(const QString& name)
{
    for (const ImageInfo& image : kImages) {
        if (name == QLatin1String(image.name)) {
            return &image;
        }
    }
    return nullptr;
}

QString resourcePath(const QString& name)
{
    return QStringLiteral(":/images/%1.svg").arg(name);
}

} // namespace

namespace ui {

void ensureResources()
{
    static const bool once = (initResources(), true);
    (void)once;
}

bool hasImage(const QString& name)
{
    return find(name) != nullptr;
}

QSize imageSize(const QString& name)
{
    const ImageInfo* image = find(name);
    return image ? QSize(image->width, image->height) : QSize();
}

QPixmap imagePixmap(const QString& name, QSize size)
{
    ensureResources();
    if (!hasImage(name)) {
        return {};
    }
    if (size.isEmpty()) {
        size = imageSize(name);
    }
    QSvgRenderer renderer(resourcePath(name));
    if (!renderer.isValid()) {
        return {};
    }
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

QIcon imageIcon(const QString& name)
{
    ensureResources();
    // QIcon renders SVG crisply at every size the window manager asks for.
    return hasImage(name) ? QIcon(resourcePath(name)) : QIcon();
}

A_ICOON::A_ICOON()
    : QIcon(imageIcon(QStringLiteral("A_ICOON")))
{
}

} // namespace ui
