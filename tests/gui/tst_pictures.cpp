// Every picture of the windows next to its SVG source rendered at the
// program's device pixel ratio (QT_SCALE_FACTOR): the same pixels at 1x and 2x,
// which have a PNG file of their own, and sharper than the 1x file scaled up
// at ratios between; and the menu's buttons showing their picture pixel for
// pixel on whole pixels.
#include "harness.h"

#include "platform/controls.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QSvgRenderer>

class TestPictures : public GuiTest {
    Q_OBJECT
private slots:
    void matchesSource_data();
    void matchesSource();
    void menuButtonsPixelForPixel();
};

Q_DECLARE_METATYPE(const platform::Picture*)

namespace {

QString Resource(const platform::Picture& p, double ratio) {
    QString file = QString::fromUtf8(p.resource);
    return ratio == 2 ? file.replace(QLatin1String(".png"), QLatin1String("@2x.png")) : file;
}

QString Source(const platform::Picture& p) {
    return QStringLiteral(PF_ASSETS_DIR "/%1.svg").arg(QFileInfo(QString::fromUtf8(p.resource)).baseName());
}

// `paint` on a transparent image of the picture's size at `ratio`, in device pixels.
QImage Draw(const platform::Picture& p, double ratio, const std::function<void(QPainter&)>& paint) {
    QImage image(QSize(p.width, p.height) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(painter);
    painter.end();
    image.setDevicePixelRatio(1);
    return image;
}

// The largest and the mean difference of one channel.
std::pair<int, double> Difference(const QImage& a, const QImage& b) {
    int largest = 0;
    qint64 sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            for (int d :
                 {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q), qAlpha(p) - qAlpha(q)}) {
                largest = std::max(largest, std::abs(d));
                sum += std::abs(d);
            }
        }
    return {largest, double(sum) / (4.0 * a.width() * a.height())};
}

} // namespace

void TestPictures::matchesSource_data() {
    QTest::addColumn<const platform::Picture*>("picture");
    QList<const platform::Picture*> pictures;
    for (const platform::Window* layout : ui::Arrangement()) {
        pictures << layout->picture;
        for (const platform::Control& c : layout->controls)
            pictures << c.picture;
    }
    for (const platform::Picture* p : pictures)
        if (p && p->resource)
            QTest::newRow(p->resource) << p;
}

void TestPictures::matchesSource() {
    QFETCH(const platform::Picture*, picture);
    const double ratio = qApp->devicePixelRatio();
    QSvgRenderer svg(Source(*picture));
    QCOMPARE(svg.defaultSize(), QSize(picture->width, picture->height));
    const QRectF area(0, 0, picture->width, picture->height);
    const QImage source = Draw(*picture, ratio, [&](QPainter& p) { svg.render(&p, area); });
    const QImage drawn =
        Draw(*picture, ratio, [&](QPainter& p) { platform::PictureRenderer(picture).Paint(p, {}); });
    const auto [largest, mean] = Difference(source, drawn);
    if (ratio == 1 || ratio == 2) {
        QVERIFY2(largest <= 1, qPrintable(QString::number(largest)));
        return;
    }
    const QImage scaledUp = Draw(*picture, ratio, [&](QPainter& p) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawPixmap(area, QPixmap(Resource(*picture, 1)), area);
    });
    const double blurred = Difference(source, scaledUp).second;
    QVERIFY2(mean <= 0.75 * blurred,
             qPrintable(QStringLiteral("%1, the 1x file scaled up %2").arg(mean).arg(blurred)));
}

// Each button's face shows its picture's file unchanged, the picture centred
// in the button on whole pixels.
void TestPictures::menuButtonsPixelForPixel() {
    const double ratio = qApp->devicePixelRatio();
    if (ratio != 1 && ratio != 2)
        QSKIP("no file of this ratio");
    Harness h(*environment_);
    platform::Form& menu = h.Show(ui::MenuLayout());
    const QImage window = menu.window()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (const platform::Control& c : menu.layout().controls) {
        auto* button = qobject_cast<QPushButton*>(menu.Control({c.name}));
        QVERIFY2(button, c.name);
        QStyleOptionButton option;
        option.initFrom(button);
        const QRect face = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        const QSize size(c.picture->width, c.picture->height);
        const QRect picture(
            QPoint((button->width() - size.width()) / 2, (button->height() - size.height()) / 2), size);
        const QRect shown = face & picture;
        QVERIFY(shown.width() >= size.width() - 6 && shown.height() >= size.height() - 6);
        const QImage file = QImage(Resource(*c.picture, ratio)).convertToFormat(QImage::Format_RGB32);
        auto device = [&](const QRect& r) { return QRect(r.topLeft() * ratio, r.size() * ratio); };
        QCOMPARE(window.copy(device(shown.translated(button->pos()))),
                 file.copy(device(shown.translated(-picture.topLeft()))));
    }
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
