// The five windows at a device pixel ratio of 2: the same layout in logical
// pixels, and pictures and texts drawn at the device's resolution rather than
// scaled up from a 1x bitmap.
#include "harness.h"

#include <QLabel>

using platform::ControlName;
using platform::Window;

class TestHiDpi : public GuiTest {
    Q_OBJECT
private slots:
    void initTestCase();
    void layoutKept_data();
    void layoutKept();
    void drawnAtDeviceResolution_data();
    void drawnAtDeviceResolution();
    void bannerGradient_data();
    void bannerGradient();
};

namespace {

constexpr int kRatio = 2;

// Where a control's contents are drawn, in the window's logical pixels; the
// window's client area for a null name.
QRect ContentsInWindow(platform::Form& form, ControlName control) {
    QWidget* w = control.name ? form.Control(control) : form.window();
    const auto* frame = qobject_cast<QFrame*>(w);
    return w->isWindow() ? w->rect() : (frame ? frame->contentsRect() : w->rect()).translated(w->pos());
}

// The menu banner's colour at a height, between its stops at y 0.5, 80 and 159.5.
QColor Banner(double y) {
    const QColor stops[] = {{254, 255, 255}, {127, 205, 254}, {1, 152, 255}};
    const double t = std::clamp((y - 0.5) / 159.0, 0.0, 1.0) * 2;
    const int i = t < 1 ? 0 : 1;
    const auto mix = [&](int a, int b) { return float((a + (b - a) * (t - i)) / 255); };
    const QColor &a = stops[i], &b = stops[i + 1];
    return QColor::fromRgbF(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
}

} // namespace

void TestHiDpi::initTestCase() { QCOMPARE(qApp->devicePixelRatio(), qreal(kRatio)); }

void TestHiDpi::layoutKept_data() { Harness::GeometryRows(); }

// Windows and controls at their places in logical pixels; for each window,
// captions still fitting their labels.
void TestHiDpi::layoutKept() {
    QFETCH(const Window*, window);
    QFETCH(ControlName, control);
    QFETCH(QRect, rect);
    Harness h(*environment_);
    platform::Form& form = h.Show(*window);
    QCOMPARE(control.name ? form.Control(control)->geometry() : form.window()->geometry(), rect);
    if (!control.name)
        for (QLabel* label : form.window()->findChildren<QLabel*>())
            QVERIFY2(QFontMetrics(label->font()).horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->text()));
}

void TestHiDpi::drawnAtDeviceResolution_data() {
    QTest::addColumn<const Window*>("window");
    QTest::addColumn<ControlName>("control"); // null: the window's background picture
    QTest::addColumn<QRect>("area");          // logical pixels in its contents; null: all of them
    QTest::addColumn<int>("rule");            // a Qt::Orientation: a one-pixel rule at the area's corner
    const Window *blanking = &ui::BlankingCalculator().layout, *drawing = &ui::DrawingCalculator().layout,
                 *bending = &ui::BendingCalculator().layout, *menu = &ui::MenuLayout(),
                 *sheet = &ui::MaterialLayout();
    const ControlName background{nullptr};
    const int across = Qt::Horizontal, down = Qt::Vertical;
    QTest::newRow("caption text") << blanking << ui::kFirstCaption << QRect(0, 0, 89, 17) << 0;
    QTest::newRow("input text") << drawing << ui::kFirstField << QRect() << 0;
    QTest::newRow("button text") << bending << ui::kCalculateButton << QRect() << 0;
    QTest::newRow("blanking hatching") << blanking << ui::kPicture << QRect(30, 30, 57, 8) << 0;
    QTest::newRow("drawing picture") << drawing << ui::kPicture << QRect() << 0;
    QTest::newRow("bending picture") << bending << ui::kPicture << QRect() << 0;
    QTest::newRow("menu button picture") << menu << ui::kMenuBlankingButton << QRect() << 0;
    QTest::newRow("banner credit") << menu << background << QRect(9, 117, 161, 22) << 0;
    QTest::newRow("sheet texts") << sheet << background << QRect(18, 7, 342, 299) << 0;
    QTest::newRow("sheet note") << sheet << background << QRect(25, 330, 186, 17) << 0;
    QTest::newRow("sheet rule under the header") << sheet << background << QRect(120, 27, 1, 1) << across;
    QTest::newRow("sheet rule under the last material")
        << sheet << background << QRect(250, 306, 1, 1) << across;
    QTest::newRow("sheet column rule") << sheet << background << QRect(206, 160, 1, 1) << down;
    QTest::newRow("sheet frame left") << sheet << background << QRect(17, 60, 1, 1) << down;
    QTest::newRow("blanking extension line") << blanking << ui::kPicture << QRect(24, 30, 1, 1) << across;
    QTest::newRow("blanking plan outline") << blanking << ui::kPicture << QRect(100, 75, 1, 1) << across;
    QTest::newRow("blanking section left end") << blanking << ui::kPicture << QRect(30, 34, 1, 1) << down;
}

// Edges of shapes and glyphs fall inside device pixels: many 2 × 2 device
// blocks are not of one colour, which a 1x bitmap scaled up never shows. A
// one-pixel black rule is two full-black device rows (or columns) with white on
// both sides: not a blurred four-row grey, not moved half a pixel.
void TestHiDpi::drawnAtDeviceResolution() {
    QFETCH(const Window*, window);
    QFETCH(ControlName, control);
    QFETCH(QRect, area);
    QFETCH(int, rule);
    Harness h(*environment_);
    platform::Form& form = h.Show(*window);
    if (auto* edit = qobject_cast<QLineEdit*>(control.name ? form.Control(control) : nullptr))
        edit->setText(QStringLiteral("1234.5"));
    const QImage image = form.window()->grab().toImage();
    const QRect contents = ContentsInWindow(form, control);
    area = area.isNull() ? contents : area.translated(contents.topLeft());
    if (rule) {
        const auto gray = [&](int offset) {
            const QPoint along = rule == Qt::Horizontal ? QPoint(0, offset) : QPoint(offset, 0);
            return qGray(image.pixel(area.topLeft() * kRatio + along));
        };
        QString profile;
        for (int offset = -3; offset <= 4; ++offset)
            profile += QStringLiteral(" %1").arg(gray(offset));
        for (int offset = -3; offset <= 4; ++offset)
            QVERIFY2(offset == 0 || offset == 1 ? gray(offset) == 0 : gray(offset) > 230,
                     qPrintable(profile));
        return;
    }
    int mixed = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = image.pixel(x * kRatio, y * kRatio);
            mixed += p != image.pixel(x * kRatio + 1, y * kRatio) ||
                     p != image.pixel(x * kRatio, y * kRatio + 1) ||
                     p != image.pixel(x * kRatio + 1, y * kRatio + 1);
        }
    QVERIFY2(mixed >= 20, qPrintable(QStringLiteral("%1 mixed blocks").arg(mixed)));
}

void TestHiDpi::bannerGradient_data() {
    QTest::addColumn<int>("y"); // logical row of the banner
    QTest::newRow("top") << 1;
    QTest::newRow("middle") << 80;
    QTest::newRow("bottom") << 158;
}

// The gradient is evaluated per device row: the two device rows of one
// logical row differ, and each has the colour of its own height.
void TestHiDpi::bannerGradient() {
    QFETCH(int, y);
    Harness h(*environment_);
    const QImage image = h.Show(ui::MenuLayout()).window()->grab().toImage();
    const int x = 2 * kRatio;
    for (int row : {y * kRatio, y * kRatio + 1}) {
        const QColor got = image.pixelColor(x, row), want = Banner((row + 0.5) / kRatio);
        QVERIFY2(std::abs(got.red() - want.red()) <= 2 && std::abs(got.green() - want.green()) <= 2 &&
                     std::abs(got.blue() - want.blue()) <= 2,
                 qPrintable(QStringLiteral("row %1: %2, expected %3").arg(row).arg(got.name(), want.name())));
    }
    // Across ten logical rows, most pairs of device rows of one logical row differ.
    int differing = 0;
    const int first = std::clamp(y - 5, 0, 158 - 10);
    for (int r = first; r < first + 10; ++r)
        differing += image.pixel(x, r * kRatio) != image.pixel(x, r * kRatio + 1);
    QVERIFY2(differing >= 5, qPrintable(QString::number(differing)));
}

int main(int argc, char* argv[]) {
    qputenv("QT_SCALE_FACTOR", QByteArray::number(kRatio));
    QApplication app(argc, argv);
    TestHiDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hidpi.moc"
