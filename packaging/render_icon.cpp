// Renders a square SVG to a PNG of the given size: render_icon SOURCE SIZE OUTPUT.
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    bool ok = false;
    const int size = args.size() == 4 ? args[2].toInt(&ok) : 0;
    if (!ok || size <= 0) {
        std::fprintf(stderr, "usage: render_icon SOURCE SIZE OUTPUT\n");
        return 2;
    }
    QSvgRenderer svg(args[1]);
    if (!svg.isValid()) {
        std::fprintf(stderr, "render_icon: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    svg.render(&painter, QRectF(0, 0, size, size));
    painter.end();
    if (!image.save(args[3], "PNG")) {
        std::fprintf(stderr, "render_icon: cannot write %s\n", qPrintable(args[3]));
        return 1;
    }
    return 0;
}
