#include "ui/Images.h"

#ifdef TRANSVO_SVG
#include <QPainter>
#include <QSvgRenderer>
#endif

// Q_INIT_RESOURCE declares the resource's initialiser at the scope it is used in, so it must
// stand outside every namespace.
static void initResources()
{
    Q_INIT_RESOURCE(transvo);
#ifndef TRANSVO_SVG
    Q_INIT_RESOURCE(transvo_images);
#endif
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

#ifdef TRANSVO_SVG
QString resourcePath(const QString& name)
{
    return QStringLiteral(":/images/%1.svg").arg(name);
}
#else
// Without an SVG renderer (the Windows build's Qt has none) the artwork comes rendered at build
// time: <name>.png at its own size and <name>@2x.png for screens scaled beyond it, which QIcon
// picks by itself.
QString resourcePath(const QString& name)
{
    return QStringLiteral(":/images/%1.png").arg(name);
}

QString largeResourcePath(const QString& name)
{
    return QStringLiteral(":/images/%1@2x.png").arg(name);
}
#endif

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
#ifdef TRANSVO_SVG
    QSvgRenderer renderer(resourcePath(name));
    if (!renderer.isValid()) {
        return {};
    }
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
#else
    const QSize own = imageSize(name);
    const bool large = size.width() > own.width() || size.height() > own.height();
    const QPixmap rendered(large ? largeResourcePath(name) : resourcePath(name));
    if (rendered.isNull() || rendered.size() == size) {
        return rendered;
    }
    return rendered.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
#endif
}

QIcon imageIcon(const QString& name)
{
    ensureResources();
    // QIcon renders SVG crisply at every size the window manager asks for; of the PNGs it takes
    // the one that fits best.
    return hasImage(name) ? QIcon(resourcePath(name)) : QIcon();
}

A_ICOON::A_ICOON()
    : QIcon(imageIcon(QStringLiteral("A_ICOON")))
{
}

} // namespace ui
