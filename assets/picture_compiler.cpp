// Renders an SVG picture into PNG files, so that the program reads no SVG:
//   picture_compiler SOURCE OUTPUT...
// An OUTPUT named NAME@<N>x.png is rendered at device pixel ratio N, any other
// NAME.png at the SVG's own size.
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QtEndian>

#include <array>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void Fail(const QString& message) {
    std::fprintf(stderr, "picture_compiler: %s\n", qPrintable(message));
    std::exit(1);
}

quint32 Crc32(const QByteArray& bytes) {
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void AppendChunk(QByteArray& png, const char* type, const QByteArray& data) {
    std::array<uchar, 4> word;
    qToBigEndian(quint32(data.size()), word.data());
    png.append(reinterpret_cast<const char*>(word.data()), 4);
    const QByteArray typed = QByteArray(type, 4) + data;
    png += typed;
    qToBigEndian(Crc32(typed), word.data());
    png.append(reinterpret_cast<const char*>(word.data()), 4);
}

// A PNG file of the image: RGB when opaque, else RGBA. Every row unfiltered,
// which a reader undoes fastest; the pictures' flat areas and gradients
// compress as well that way. (QImageWriter filters rows: the menu's pictures
// it writes take twice the instructions to read, 8.4 M instead of 4.1 M.)
QByteArray Png(const QImage& image) {
    const bool opaque = !image.hasAlphaChannel() ||
                        image.convertToFormat(QImage::Format_RGB32).convertToFormat(image.format()) == image;
    const QImage rows = image.convertToFormat(opaque ? QImage::Format_RGB888 : QImage::Format_RGBA8888);
    const qsizetype rowBytes = qsizetype(rows.width()) * (opaque ? 3 : 4);
    QByteArray pixels;
    for (int y = 0; y < rows.height(); ++y)
        pixels.append('\0').append(reinterpret_cast<const char*>(rows.constScanLine(y)), rowBytes);

    std::array<uchar, 13> header{};
    qToBigEndian(quint32(rows.width()), header.data());
    qToBigEndian(quint32(rows.height()), header.data() + 4);
    header[8] = 8;              // bits per channel
    header[9] = opaque ? 2 : 6; // truecolour, with alpha when not opaque
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    AppendChunk(png, "IHDR", QByteArray(reinterpret_cast<const char*>(header.data()), header.size()));
    AppendChunk(png, "IDAT", qCompress(pixels, 9).mid(4)); // a zlib stream after qCompress's length
    AppendChunk(png, "IEND", {});
    return png;
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
        QFile file(output);
        const QByteArray png = Png(image);
        if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size() || !file.flush())
            Fail(QStringLiteral("cannot write %1").arg(output));
    }
    return 0;
}
