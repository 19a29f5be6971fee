// Where the windows open: at their layout positions on a screen that holds
// them all, and moved together onto a smaller screen, keeping the material
// sheet beside the calculators.
#include "harness.h"

#include "platform/placement.h"
#include "ui/program_windows.h"

using platform::ScreenArea;
using Shift = std::optional<QPoint>;

class TestPlacement : public GuiTest {
    Q_OBJECT
private slots:
    void placed_data();
    void placed();
};

namespace {

ScreenArea Screen(QRect geometry, QRect available = {}) {
    return {geometry, available.isNull() ? geometry : available};
}

QString Text(const QRect& r) {
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

void TestPlacement::placed_data() {
    QTest::addColumn<ScreenArea>("screen");
    QTest::addColumn<Shift>("shift"); // of every window from its layout rectangle; none: not together
    QTest::addColumn<bool>("opened"); // the windows opened there too, from the menu
    QTest::newRow("large screen: layout positions") << Screen({0, 0, 1920, 1080}) << Shift({0, 0}) << true;
    // The windows reach x 1188 and y 488 (the drawing window).
    QTest::newRow("exactly large enough") << Screen({0, 0, 1189, 489}) << Shift({0, 0}) << false;
    QTest::newRow("one pixel too narrow") << Screen({0, 0, 1188, 489}) << Shift({-1, 0}) << false;
    QTest::newRow("1024 x 768") << Screen({0, 0, 1024, 768}) << Shift({-165, 0}) << true;
    QTest::newRow("1920 x 1080 at scale 2, panel at the top")
        << Screen({0, 0, 960, 540}, {0, 32, 960, 508}) << Shift({-229, 0}) << false;
    QTest::newRow("short screen, panel at the bottom")
        << Screen({0, 0, 1280, 480}, {0, 0, 1280, 448}) << Shift({0, -41}) << false;
    QTest::newRow("panel on the left")
        << Screen({0, 0, 1280, 1024}, {400, 0, 880, 1024}) << Shift({18, 0}) << false;
    QTest::newRow("primary screen right of another")
        << Screen({1920, 0, 1280, 1024}) << Shift({1920, 0}) << false;
    QTest::newRow("primary screen above another")
        << Screen({0, -600, 1024, 600}) << Shift({-165, -600}) << false;
    // Narrower than the material sheet and a calculator side by side: each
    // window is kept whole on the screen, the sheet overlapping the calculator.
    QTest::newRow("640 x 480") << Screen({0, 0, 640, 480}) << Shift() << true;
}

// All windows move by one shift, the least that brings them on the usable
// area, and open there; the material sheet opened from a calculator stands
// beside it whenever the screen is wide enough for both.
void TestPlacement::placed() {
    QFETCH(ScreenArea, screen);
    QFETCH(Shift, shift);
    QFETCH(bool, opened);
    const auto arrangement = ui::Arrangement();
    for (const Harness::WindowCase& w : Harness::Windows()) {
        QCOMPARE(platform::LayoutRect(*w.layout, Screen({})), w.rect);
        const QRect placed = platform::PlaceWindow(*w.layout, arrangement, screen);
        if (shift)
            QCOMPARE(placed, w.rect.translated(*shift));
        QVERIFY2(screen.available.contains(placed), qPrintable(Text(placed)));
    }
    if (!opened)
        return;
    Harness h(*environment_);
    h.screen = screen;
    platform::Form& calculator = h.OpenCalculator(calc::Formula::Blanking);
    Harness::Click(calculator, ui::kMaterialButton); // the material sheet
    platform::Form& sheet = h.Form(ui::MaterialLayout());
    QVERIFY(sheet.IsShown());
    const QRect calc = calculator.window()->geometry(), material = sheet.window()->geometry();
    for (const QRect& r : {calc, material})
        QVERIFY2(screen.available.contains(r), qPrintable(Text(r)));
    if (shift) {
        QCOMPARE(calc, Harness::Row(calculator.layout()).rect.translated(*shift));
        QCOMPARE(material, Harness::Row(sheet.layout()).rect.translated(*shift));
        QVERIFY(material.right() < calc.left()); // beside it, not over it
    }
}

QTEST_MAIN(TestPlacement)
#include "tst_placement.moc"
