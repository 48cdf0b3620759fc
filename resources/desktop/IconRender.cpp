// Renders the program's SVG artwork at build time, with the same SVG renderer the program draws
// its icons with, for places that take no SVG:
//
//   transvo_icon_render SOURCE.svg OUTPUT_FOLDER SIZE...   a desktop icon theme's PNG sizes
//                                                          (SIZExSIZE/apps/transvo.png)
//   transvo_icon_render --images OUTPUT_FOLDER SOURCE.svg...
//       each image at its own size and at twice that (NAME.png, NAME@2x.png), for a Qt without
//       SVG support
//   transvo_icon_render --ico OUTPUT.ico SOURCE.svg SIZE...
//       a Windows icon file holding every size given, for the program file and its shortcuts

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>

#include <cstdio>
#include <vector>

namespace {

QImage render(QSvgRenderer& renderer, QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return image;
}

bool load(QSvgRenderer& renderer, const char* path)
{
    if (!renderer.load(QString::fromLocal8Bit(path))) {
        std::fprintf(stderr, "cannot read %s\n", path);
        return false;
    }
    return true;
}

std::vector<int> sizes(int argc, char** argv, int first)
{
    std::vector<int> result;
    for (int i = first; i < argc; ++i) {
        const int size = QString::fromLocal8Bit(argv[i]).toInt();
        if (size <= 0 || size > 256) {
            std::fprintf(stderr, "not a size: %s\n", argv[i]);
            return {};
        }
        result.push_back(size);
    }
    return result;
}

int iconTheme(int argc, char** argv)
{
    QSvgRenderer renderer;
    const std::vector<int> wanted = sizes(argc, argv, 3);
    if (!load(renderer, argv[1]) || wanted.empty()) {
        return 1;
    }
    const QDir output(QString::fromLocal8Bit(argv[2]));
    for (const int size : wanted) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        if (!output.mkpath(folder)
            || !render(renderer, QSize(size, size)).save(output.filePath(folder + QStringLiteral("/transvo.png")))) {
            std::fprintf(stderr, "cannot write the %dx%d icon\n", size, size);
            return 1;
        }
    }
    return 0;
}

int images(int argc, char** argv)
{
    const QDir output(QString::fromLocal8Bit(argv[2]));
    if (!output.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot make %s\n", argv[2]);
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        QSvgRenderer renderer;
        if (!load(renderer, argv[i])) {
            return 1;
        }
        const QString name = QFileInfo(QString::fromLocal8Bit(argv[i])).completeBaseName();
        const QSize size = renderer.defaultSize();
        if (!render(renderer, size).save(output.filePath(name + QStringLiteral(".png")))
            || !render(renderer, size * 2).save(output.filePath(name + QStringLiteral("@2x.png")))) {
            std::fprintf(stderr, "cannot write the images of %s\n", argv[i]);
            return 1;
        }
    }
    return 0;
}

// An icon file: a directory of entries, each a whole PNG file, which every Windows since Vista
// reads at any size.
int iconFile(int argc, char** argv)
{
    QSvgRenderer renderer;
    const std::vector<int> wanted = sizes(argc, argv, 4);
    if (!load(renderer, argv[3]) || wanted.empty()) {
        return 1;
    }
    std::vector<QByteArray> pngs;
    for (const int size : wanted) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        render(renderer, QSize(size, size)).save(&buffer, "PNG");
        pngs.push_back(buffer.data());
    }
    QByteArray file;
    auto put16 = [&file](quint16 value) {
        value = qToLittleEndian(value);
        file.append(reinterpret_cast<const char*>(&value), 2);
    };
    auto put32 = [&file](quint32 value) {
        value = qToLittleEndian(value);
        file.append(reinterpret_cast<const char*>(&value), 4);
    };
    put16(0); // reserved
    put16(1); // an icon, not a cursor
    put16(static_cast<quint16>(pngs.size()));
    quint32 offset = 6 + 16 * static_cast<quint32>(pngs.size());
    for (std::size_t i = 0; i < pngs.size(); ++i) {
        const int size = wanted[i];
        file.append(static_cast<char>(size == 256 ? 0 : size)); // 0 stands for 256
        file.append(static_cast<char>(size == 256 ? 0 : size));
        file.append('\0'); // no palette
        file.append('\0');
        put16(1); // planes
        put16(32); // bits per pixel
        put32(static_cast<quint32>(pngs[i].size()));
        put32(offset);
        offset += static_cast<quint32>(pngs[i].size());
    }
    for (const QByteArray& png : pngs) {
        file.append(png);
    }
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size()) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    const bool usable = mode == "--images" ? argc >= 4 : mode == "--ico" ? argc >= 5 : argc >= 4;
    if (!usable) {
        std::fprintf(stderr,
            "usage: %s SOURCE.svg OUTPUT_FOLDER SIZE...\n"
            "       %s --images OUTPUT_FOLDER SOURCE.svg...\n"
            "       %s --ico OUTPUT.ico SOURCE.svg SIZE...\n",
            argv[0], argv[0], argv[0]);
        return 2;
    }
    // A build machine has no display; the renderer needs none.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);
    if (mode == "--images") {
        return images(argc, argv);
    }
    if (mode == "--ico") {
        return iconFile(argc, argv);
    }
    return iconTheme(argc, argv);
}
