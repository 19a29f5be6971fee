// Renders an SVG picture into PNG files, so that the program reads no SVG:
//   picture_compiler SOURCE OUTPUT...
// An OUTPUT named NAME@<N>x.png is rendered at device pixel ratio N, any other
// NAME.png at the SVG's own size.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void Fail(const QString& message) {
    std::fprintf(stderr, "picture_compiler: %s\n", qPrintable(message));
    std::exit(1);
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3)
        Fail(QStringLiteral("usage: picture_compiler SOURCE OUTPUT..."));
    QSvgRenderer svg(args[1]);
    if (!svg.isValid())
        Fail(QStringLiteral("cannot read %1").arg(args[1]));
    const QSize size = svg.defaultSize();

    static const QRegularExpression ratioSuffix(QStringLiteral("@(\\d)x\\.png$"));
    for (const QString& output : args.mid(2)) {
        if (!output.endsWith(QLatin1String(".png")))
            Fail(QStringLiteral("not a PNG file name: %1").arg(output));
        const auto match = ratioSuffix.match(output);
        const int ratio = match.hasMatch() ? match.captured(1).toInt() : 1;
        if (ratio < 1 || ratio > 4)
            Fail(QStringLiteral("no picture at ratio %1").arg(ratio));
        QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            svg.render(&painter, QRectF(QPointF(), size));
        }
        // Opaque pictures as RGB: a quarter less to store and to decode.
        if (const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
            rgb.convertToFormat(QImage::Format_ARGB32_Premultiplied) == image)
            image = rgb;
        if (!image.save(output, "PNG"))
            Fail(QStringLiteral("cannot write %1").arg(output));
    }
    return 0;
}
