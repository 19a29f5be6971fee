// Compiles an SVG picture into the forms the program draws, so that it needs no
// SVG parsing at run time:  picture_compiler SOURCE OUTPUT...
//   NAME.pic        the drawing as a QPicture at the SVG's own size (vector)
//   NAME@<N>x.img   a bitmap at device pixel ratio N
//   NAME.png        a PNG at the SVG's own size (the installed icon)
// The vector form is checked against the SVG renderer before it is written.
#include "platform/compiledpicture.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QRegularExpression>
#include <QSvgRenderer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void Fail(const QString& message) {
    std::fprintf(stderr, "picture_compiler: %s\n", qPrintable(message));
    std::exit(1);
}

QImage Canvas(QSize size, int ratio) {
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    return image;
}

QImage Render(QSvgRenderer& svg, QSize size, int ratio) {
    QImage image = Canvas(size, ratio);
    QPainter painter(&image);
    svg.render(&painter, QRectF(QPointF(), size));
    return image;
}

QImage Replay(const QPicture& picture, QSize size, int ratio) {
    QImage image = Canvas(size, ratio);
    QPainter painter(&image);
    painter.drawPicture(0, 0, picture);
    return image;
}

// The largest difference of one channel between two images of one size.
int LargestDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* p = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* q = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            largest =
                std::max({largest, std::abs(qRed(p[x]) - qRed(q[x])), std::abs(qGreen(p[x]) - qGreen(q[x])),
                          std::abs(qBlue(p[x]) - qBlue(q[x])), std::abs(qAlpha(p[x]) - qAlpha(q[x]))});
    }
    return largest;
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        Fail(QStringLiteral("cannot write %1").arg(path));
}

QByteArray VectorForm(QSvgRenderer& svg, QSize size) {
    QPicture picture;
    {
        QPainter painter(&picture);
        svg.render(&painter, QRectF(QPointF(), size));
    }
    picture.setBoundingRect(QRect(QPoint(), size));
    for (int ratio : platform::kBitmapRatios) {
        const int difference = LargestDifference(Render(svg, size, ratio), Replay(picture, size, ratio));
        if (difference > 1)
            Fail(QStringLiteral("the vector form differs from the SVG by %1 at ratio %2")
                     .arg(difference)
                     .arg(ratio));
    }
    return QByteArray(picture.data(), qsizetype(picture.size()));
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

    static const QRegularExpression bitmapName(QStringLiteral("@(\\d+)x\\.img$"));
    for (const QString& output : args.mid(2)) {
        if (output.endsWith(QLatin1String(".pic"))) {
            Write(output, VectorForm(svg, size));
        } else if (const auto match = bitmapName.match(output); match.hasMatch()) {
            const int ratio = match.captured(1).toInt();
            if (ratio < 1 || ratio > 4)
                Fail(QStringLiteral("no bitmap at ratio %1").arg(ratio));
            Write(output, platform::EncodeBitmap(Render(svg, size, ratio)));
        } else if (output.endsWith(QLatin1String(".png"))) {
            QImage image = Render(svg, size, 1);
            if (!image.save(output, "PNG"))
                Fail(QStringLiteral("cannot write %1").arg(output));
        } else {
            Fail(QStringLiteral("unknown kind of output: %1").arg(output));
        }
    }
    return 0;
}
