// Where the windows open: at their layout positions on a screen that holds
// them all, and moved together onto a smaller screen, keeping the material
// sheet beside the calculators.
#include "harness.h"

#include "platform/placement.h"
#include "ui/program_windows.h"

using platform::ScreenArea;

class TestPlacement : public GuiTest {
    Q_OBJECT
private slots:
    void placed_data();
    void placed();
    void windowsOpenPlaced_data();
    void windowsOpenPlaced();
};

namespace {

ScreenArea Screen(QRect geometry, QRect available = {}) {
    return {geometry, available.isNull() ? geometry : available};
}

} // namespace

void TestPlacement::placed_data() {
    QTest::addColumn<ScreenArea>("screen");
    QTest::addColumn<QPoint>("shift"); // of every window from its layout rectangle
    QTest::newRow("large screen: layout positions") << Screen({0, 0, 1920, 1080}) << QPoint(0, 0);
    // The windows reach x 1188 and y 488 (the drawing window).
    QTest::newRow("exactly large enough") << Screen({0, 0, 1189, 489}) << QPoint(0, 0);
    QTest::newRow("one pixel too narrow") << Screen({0, 0, 1188, 489}) << QPoint(-1, 0);
    QTest::newRow("1024 x 768") << Screen({0, 0, 1024, 768}) << QPoint(-165, 0);
    QTest::newRow("1920 x 1080 at scale 2, panel at the top")
        << Screen({0, 0, 960, 540}, {0, 32, 960, 508}) << QPoint(-229, 0);
    QTest::newRow("short screen, panel at the bottom")
        << Screen({0, 0, 1280, 480}, {0, 0, 1280, 448}) << QPoint(0, -41);
    QTest::newRow("panel on the left") << Screen({0, 0, 1280, 1024}, {400, 0, 880, 1024}) << QPoint(18, 0);
    QTest::newRow("primary screen right of another") << Screen({1920, 0, 1280, 1024}) << QPoint(1920, 0);
    QTest::newRow("primary screen above another") << Screen({0, -600, 1024, 600}) << QPoint(-165, -600);
}

// All windows move by one shift, the least that brings them on the usable area.
void TestPlacement::placed() {
    QFETCH(ScreenArea, screen);
    QFETCH(QPoint, shift);
    const auto arrangement = ui::Arrangement();
    for (const auto& [role, layout, layoutRect] : Harness::Windows()) {
        QCOMPARE(platform::LayoutRect(*layout, Screen({})), layoutRect);
        const QRect placed = platform::PlaceWindow(*layout, arrangement, screen);
        QCOMPARE(placed, layoutRect.translated(shift));
        if (placed.width() <= screen.available.width() && placed.height() <= screen.available.height())
            QVERIFY(screen.available.contains(placed));
    }
}

void TestPlacement::windowsOpenPlaced_data() {
    QTest::addColumn<ScreenArea>("screen");
    QTest::addColumn<bool>("together"); // the screen holds all the windows side by side
    QTest::addColumn<QPoint>("shift");  // of every window, when together
    QTest::newRow("large screen") << Screen({0, 0, 1920, 1080}) << true << QPoint(0, 0);
    QTest::newRow("1024 x 768") << Screen({0, 0, 1024, 768}) << true << QPoint(-165, 0);
    // Narrower than the material sheet and a calculator side by side: each
    // window is kept whole on the screen, the sheet overlapping the calculator.
    QTest::newRow("640 x 480") << Screen({0, 0, 640, 480}) << false << QPoint();
}

// The windows open where they are placed; the material sheet opened from a
// calculator stands beside it whenever the screen is wide enough for both.
void TestPlacement::windowsOpenPlaced() {
    QFETCH(ScreenArea, screen);
    QFETCH(bool, together);
    QFETCH(QPoint, shift);
    Harness h(*environment_);
    h.screen = screen;
    platform::Form& calculator = h.OpenCalculator(calc::Formula::Blanking);
    Harness::Click(calculator, ui::kMaterialButton); // the material sheet
    platform::Form& sheet = h.Form(ui::MaterialLayout());
    QVERIFY(sheet.IsShown());
    const QRect calc = calculator.window()->geometry(), material = sheet.window()->geometry();
    for (const QRect& r : {calc, material})
        QVERIFY2(
            screen.available.contains(r),
            qPrintable(QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height())));
    if (together) {
        QCOMPARE(calc, Harness::WindowRect(calculator.layout()).translated(shift));
        QCOMPARE(material, Harness::WindowRect(sheet.layout()).translated(shift));
        QVERIFY(material.right() < calc.left()); // beside it, not over it
    }
}

QTEST_MAIN(TestPlacement)
#include "tst_placement.moc"
