// Renders the program's SVG icon to a square PNG for the desktop's icon theme, which wants
// fixed-size pictures beside the scalable one.
// usage: make_icon_png IN.svg SIDE OUT.png
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_icon_png IN.svg SIDE OUT.png\n");
        return 2;
    }
    const int side = std::atoi(argv[2]);
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid() || side < 1 || side > 1024) {
        std::fprintf(stderr, "make_icon_png: cannot render %s at %s pixels\n", argv[1], argv[2]);
        return 1;
    }
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    renderer.render(&painter, QRectF(0, 0, side, side));
    painter.end();
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "make_icon_png: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
