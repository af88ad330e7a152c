// Build tool: an SVG picture rendered to a PNG of the given size, or to a
// Windows icon holding it at several sizes, by the same renderer the
// toolkit's SVG icons use, so the prepared pictures look as the SVGs always
// did; the program then needs no SVG code at all.
//   render-picture <in.svg> <out.png> <size>
//   render-picture <in.svg> <out.ico> <size>...     (sizes 1 to 256)
// The output is written whole or not at all, so a failed run never leaves a
// picture the build would take as made.

#include <QBuffer>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>

#include <cstdio>

namespace {

QImage render(QSvgRenderer& renderer, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        renderer.render(&painter);
    }
    return image;
}

QByteArray png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return image.save(&buffer, "PNG") ? bytes : QByteArray();
}

void putLittleEndian(QByteArray& out, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char(value >> (8 * i) & 0xff));
}

// An icon file of PNG images, which Windows reads since Vista: a header,
// one 16-byte entry an image (a side of 256 written as 0), then the images.
QByteArray icon(const QList<QByteArray>& images, const QList<int>& sizes)
{
    QByteArray out;
    putLittleEndian(out, 0, 2);  // reserved
    putLittleEndian(out, 1, 2);  // an icon, not a cursor
    putLittleEndian(out, quint32(images.size()), 2);
    quint32 offset = quint32(6 + 16 * images.size());
    for (qsizetype i = 0; i < images.size(); ++i) {
        const quint32 side = sizes[i] == 256 ? 0 : quint32(sizes[i]);
        putLittleEndian(out, side, 1);  // width
        putLittleEndian(out, side, 1);  // height
        putLittleEndian(out, 0, 1);     // no palette
        putLittleEndian(out, 0, 1);     // reserved
        putLittleEndian(out, 1, 2);     // colour planes
        putLittleEndian(out, 32, 2);    // bits a pixel
        putLittleEndian(out, quint32(images[i].size()), 4);
        putLittleEndian(out, offset, 4);
        offset += quint32(images[i].size());
    }
    for (const QByteArray& image : images)
        out += image;
    return out;
}

} // namespace

int main(int argc, char* argv[])
{
    const QString out = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    const bool ico = out.endsWith(QLatin1String(".ico"), Qt::CaseInsensitive);
    if (argc < 4 || (!ico && argc != 4)) {
        std::fprintf(stderr, "usage: render-picture <in.svg> <out.png> <size>\n"
                             "       render-picture <in.svg> <out.ico> <size>...\n");
        return 2;
    }
    QSvgRenderer renderer{QString::fromLocal8Bit(argv[1])};
    QList<int> sizes;
    for (int i = 3; i < argc; ++i) {
        bool number = false;
        const int size = QByteArray(argv[i]).toInt(&number);
        if (!renderer.isValid() || !number || size <= 0 || (ico && size > 256)) {
            std::fprintf(stderr, "render-picture: cannot render %s at %s px\n", argv[1], argv[i]);
            return 1;
        }
        sizes.append(size);
    }

    QList<QByteArray> images;
    for (int size : sizes) {
        images.append(png(render(renderer, size)));
        if (images.last().isEmpty()) {
            std::fprintf(stderr, "render-picture: cannot encode %s at %d px\n", argv[1], size);
            return 1;
        }
    }
    const QByteArray bytes = ico ? icon(images, sizes) : images[0];
    QSaveFile file(out);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
        !file.commit()) {
        std::fprintf(stderr, "render-picture: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
