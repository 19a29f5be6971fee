// Compiled pictures: the bitmap file format, and every picture of the windows
// drawn from its bitmap at ratios 1 and 2 and from its vector form otherwise,
// the two forms agreeing.
#include "harness.h"

#include "platform/compiledpicture.h"
#include "platform/controls.h"

#include <QPainter>
#include <QPicture>

#include <cstring>

class TestPictures : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void decode_data();
    void decode();
    void roundTrip_data();
    void roundTrip();
    void bitmapMatchesVector_data();
    void bitmapMatchesVector();
    void drawnForm_data();
    void drawnForm();

private:
    std::unique_ptr<ui::Environment> environment_;
};

Q_DECLARE_METATYPE(const platform::Picture*)

namespace {

QByteArray File(quint32 magic, quint32 width, quint32 height, quint32 format, qsizetype pixelBytes) {
    const quint32 header[4] = {magic, width, height, format};
    QByteArray bytes(reinterpret_cast<const char*>(header), sizeof header);
    bytes.append(pixelBytes, char(0x7f));
    return bytes;
}

constexpr quint32 kMagic = 0x4d424650;

// Every compiled picture of the five windows, named by its resource.
QList<const platform::Picture*> Pictures(Harness& h) {
    QList<const platform::Picture*> pictures;
    auto add = [&](const platform::Picture* p) {
        if (p && p->resource && !pictures.contains(p))
            pictures << p;
    };
    for (int n = 1; n <= 5; ++n) {
        const platform::Window& layout = h.Form(n).layout();
        add(layout.picture);
        for (const platform::Control& c : layout.controls)
            add(c.picture);
    }
    return pictures;
}

QImage Canvas(const platform::Picture& p, double ratio) {
    QImage image(QSize(int(std::ceil(p.width * ratio)), int(std::ceil(p.height * ratio))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    return image;
}

int LargestDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    return largest;
}

} // namespace

void TestPictures::initTestCase() {
    environment_ = std::make_unique<ui::Environment>(*qApp);
}

void TestPictures::decode_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("offset"); // where the file starts in its buffer
    QTest::addColumn<QSize>("size"); // 0 x 0: not a bitmap
    const auto rgb = quint32(QImage::Format_RGB32), argb = quint32(QImage::Format_ARGB32_Premultiplied);
    QTest::newRow("opaque 3 x 2") << File(kMagic, 3, 2, rgb, 24) << 0 << QSize(3, 2);
    QTest::newRow("premultiplied 1 x 1") << File(kMagic, 1, 1, argb, 4) << 0 << QSize(1, 1);
    QTest::newRow("pixels not aligned") << File(kMagic, 2, 2, rgb, 16) << 1 << QSize(2, 2);
    QTest::newRow("empty") << QByteArray() << 0 << QSize(0, 0);
    QTest::newRow("header cut short") << File(kMagic, 1, 1, rgb, 4).left(12) << 0 << QSize(0, 0);
    QTest::newRow("wrong magic") << File(kMagic + 1, 1, 1, rgb, 4) << 0 << QSize(0, 0);
    QTest::newRow("zero width") << File(kMagic, 0, 5, rgb, 0) << 0 << QSize(0, 0);
    QTest::newRow("zero height") << File(kMagic, 5, 0, rgb, 0) << 0 << QSize(0, 0);
    QTest::newRow("one pixel missing") << File(kMagic, 3, 2, rgb, 20) << 0 << QSize(0, 0);
    QTest::newRow("one byte too many") << File(kMagic, 3, 2, rgb, 25) << 0 << QSize(0, 0);
    QTest::newRow("unsupported format")
        << File(kMagic, 1, 1, quint32(QImage::Format_RGB888), 4) << 0 << QSize(0, 0);
    QTest::newRow("format out of range") << File(kMagic, 1, 1, 0xffffffffu, 4) << 0 << QSize(0, 0);
    // 2^16 x 2^16 x 4 overflows 32 bits: the size check must not wrap round.
    QTest::newRow("side too large") << File(kMagic, 1u << 16, 1u << 16, rgb, 0) << 0 << QSize(0, 0);
}

void TestPictures::decode() {
    QFETCH(QByteArray, file);
    QFETCH(int, offset);
    QFETCH(QSize, size);
    QByteArray buffer(offset, '\0');
    buffer += file;
    const auto* data = reinterpret_cast<const uchar*>(buffer.constData()) + offset;
    const QImage image = platform::DecodeBitmap(data, file.size());
    QCOMPARE(image.size(), size);
    QCOMPARE(image.isNull(), size.isEmpty());
    if (image.isNull())
        return;
    // The pixels are the file's, whether read in place or copied for alignment.
    for (int y = 0; y < size.height(); ++y)
        QCOMPARE(
            std::memcmp(image.constScanLine(y), data + 16 + y * size.width() * 4, size_t(size.width()) * 4),
            0);
    QVERIFY(image.constBits() == data + 16 || offset % 4 != 0);
}

void TestPictures::roundTrip_data() {
    QTest::addColumn<QColor>("fill");
    QTest::addColumn<int>("format");
    QTest::newRow("opaque is RGB32") << QColor(10, 200, 30) << int(QImage::Format_RGB32);
    QTest::newRow("translucent is premultiplied")
        << QColor(10, 200, 30, 128) << int(QImage::Format_ARGB32_Premultiplied);
    QTest::newRow("transparent is premultiplied")
        << QColor(Qt::transparent) << int(QImage::Format_ARGB32_Premultiplied);
}

void TestPictures::roundTrip() {
    QFETCH(QColor, fill);
    QFETCH(int, format);
    QImage source(7, 5, QImage::Format_ARGB32);
    source.fill(fill);
    source.setPixelColor(3, 2, QColor(255, 0, 0, fill.alpha()));
    const QByteArray file = platform::EncodeBitmap(source);
    QCOMPARE(file.size(), 16 + 7 * 5 * 4);
    const QImage decoded =
        platform::DecodeBitmap(reinterpret_cast<const uchar*>(file.constData()), file.size());
    QCOMPARE(int(decoded.format()), format);
    QCOMPARE(decoded.convertToFormat(QImage::Format_ARGB32_Premultiplied),
             source.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

void TestPictures::bitmapMatchesVector_data() {
    QTest::addColumn<const platform::Picture*>("picture");
    QTest::addColumn<int>("ratio");
    Harness h(*environment_);
    for (const platform::Picture* p : Pictures(h))
        for (int ratio : platform::kBitmapRatios)
            QTest::newRow(
                qPrintable(QStringLiteral("%1 at %2x").arg(QString::fromUtf8(p->resource)).arg(ratio)))
                << p << ratio;
}

// Each bitmap is there at its picture's size and is the vector form's drawing.
void TestPictures::bitmapMatchesVector() {
    QFETCH(const platform::Picture*, picture);
    QFETCH(int, ratio);
    platform::PictureCache cache;
    const QImage bitmap = cache.Bitmap(*picture, ratio);
    QCOMPARE(bitmap.size(), QSize(picture->width, picture->height) * ratio);
    const QPicture& vector = cache.Vector(*picture);
    QVERIFY(!vector.isNull());
    QCOMPARE(vector.boundingRect(), QRect(0, 0, picture->width, picture->height));
    QImage replay = Canvas(*picture, ratio);
    QPainter(&replay).drawPicture(0, 0, vector);
    replay.setDevicePixelRatio(1);
    QVERIFY2(LargestDifference(bitmap.convertToFormat(QImage::Format_ARGB32_Premultiplied), replay) <= 1,
             qPrintable(QString::number(LargestDifference(bitmap, replay))));
}

void TestPictures::drawnForm_data() {
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QPointF>("offset"); // of the picture, logical pixels
    QTest::addColumn<bool>("bitmap");    // drawn from the bitmap, else from the vector form
    QTest::newRow("ratio 1") << 1.0 << QPointF(0, 0) << true;
    QTest::newRow("ratio 2") << 2.0 << QPointF(0, 0) << true;
    QTest::newRow("ratio 2, whole offset") << 2.0 << QPointF(3, 1) << true;
    QTest::newRow("ratio 2, half offset on whole device pixels") << 2.0 << QPointF(0.5, 1.5) << true;
    QTest::newRow("ratio 1.5") << 1.5 << QPointF(0, 0) << false;
    QTest::newRow("ratio 1.25") << 1.25 << QPointF(0, 0) << false;
    QTest::newRow("ratio 3, no bitmap") << 3.0 << QPointF(0, 0) << false;
    QTest::newRow("ratio 1, offset between pixels") << 1.0 << QPointF(0.5, 0) << false;
}

// The banner drawn by the cache: pixel for pixel its bitmap where one fits
// the device's pixels, else its vector form at the device's resolution.
void TestPictures::drawnForm() {
    QFETCH(double, ratio);
    QFETCH(QPointF, offset);
    QFETCH(bool, bitmap);
    Harness h(*environment_);
    const platform::Picture& banner = *h.Form(4).layout().picture;
    platform::PictureCache cache;
    const QSize device(int(std::ceil((banner.width + 4) * ratio)),
                       int(std::ceil((banner.height + 4) * ratio)));
    auto draw = [&](double painterRatio, const std::function<void(QPainter&)>& paint) {
        QImage image(device, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        image.setDevicePixelRatio(painterRatio);
        QPainter painter(&image);
        paint(painter);
        painter.end();
        image.setDevicePixelRatio(1);
        return image;
    };
    const QImage drawn = draw(ratio, [&](QPainter& p) {
        p.translate(offset);
        cache.Draw(banner, p);
    });
    const QImage expected =
        bitmap ? draw(1, [&](QPainter& p) { p.drawImage(offset * ratio, cache.Bitmap(banner, int(ratio))); })
               : draw(ratio, [&](QPainter& p) { p.drawPicture(offset, cache.Vector(banner)); });
    QCOMPARE(drawn, expected);
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
