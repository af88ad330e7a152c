// Build tool: an SVG picture rendered to a PNG of the given size, by the
// same renderer the toolkit's SVG icons use, so the prepared pictures look as
// the SVGs always did; the program then needs no SVG code before its window.
//   render-picture <in.svg> <out.png> <size>

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: render-picture <in.svg> <out.png> <size>\n");
        return 2;
    }
    const int size = QByteArray(argv[3]).toInt();
    QSvgRenderer renderer{QString::fromLocal8Bit(argv[1])};
    if (!renderer.isValid() || size <= 0) {
        std::fprintf(stderr, "render-picture: cannot render %s at %s px\n", argv[1], argv[3]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        renderer.render(&painter);
    }
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "render-picture: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
