// qm_render_icon SVG PNG SIZE: renders an SVG picture into a square PNG of SIZE pixels (build
// time, for the icon theme's fixed sizes). Shapes need no application object; text would.

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char *argv[]) {
    bool sized = false;
    const int size = argc == 4 ? QString::fromLocal8Bit(argv[3]).toInt(&sized) : 0;
    if (!sized || size < 1 || size > 4096) {
        std::fputs("usage: qm_render_icon SVG PNG SIZE (1 to 4096)\n", stderr);
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "qm_render_icon: %s is not a valid SVG picture\n", argv[1]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "qm_render_icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
