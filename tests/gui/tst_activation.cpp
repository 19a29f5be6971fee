// When the windows a procedure unloaded leave the screen: kept until the
// window asked for is active, then on their own time, later while keys come.
#include "platform/activation.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QWindow>

#include <memory>

namespace {

using platform::Activation;
constexpr qint64 kSettle = Activation::kSettleMilliseconds, kHold = Activation::kHoldMilliseconds;
// A timer may fire a little early (Qt's coarse timers up to 5 %, Windows' ticks).
constexpr qint64 Early(qint64 wait) { return wait * 3 / 4; }
// Shown, it is never active on the offscreen platform: the window manager would not activate it.
constexpr Qt::WindowFlags kNeverActive = Qt::ToolTip | Qt::WindowDoesNotAcceptFocus;

// When a window was last seen to go from the screen and to be destroyed, on `clock`.
struct Departure {
    Departure(QWidget* window, const QElapsedTimer& clock) : window(window) {
        QObject::connect(window->windowHandle(), &QWindow::visibleChanged, &watch, [&](bool visible) {
            if (!visible)
                hidden = clock.elapsed();
        });
        QObject::connect(window, &QObject::destroyed, &watch, [&] { destroyed = clock.elapsed(); });
    }
    QPointer<QWidget> window;
    qint64 hidden = -1, destroyed = -1;
    QObject watch;
};

} // namespace

class TestActivation : public QObject {
    Q_OBJECT
private slots:
    void init();
    void leaves_data();
    void leaves();
    void keptThroughALaterProcedure();
    void keptWhileTheWindowAskedForIsNotActive();
};

void TestActivation::init() {
    if (QByteArray(QTest::currentTestFunction()) != "leaves" &&
        QGuiApplication::platformName() != QLatin1String("offscreen"))
        QSKIP("a window that is never active is made so on the offscreen platform");
}

void TestActivation::leaves_data() {
    QTest::addColumn<bool>("typed");
    QTest::newRow("no key: a settle after the window asked for is active") << false;
    QTest::newRow("typed on: a hold after the last key") << true;
}

// A procedure unloads the active window and shows another, which becomes active.
void TestActivation::leaves() {
    QFETCH(bool, typed);
    Activation activation([] { return QPoint(); });
    QElapsedTimer clock;
    clock.start();
    auto* left = new QWidget;
    const auto next = std::make_unique<QWidget>();
    left->show();
    QVERIFY(QTest::qWaitForWindowActive(left));
    Departure departure(left, clock);
    // Times taken no later than the program takes them: this slot runs before the activation's.
    qint64 active = -1, key = -1;
    bool keptThen = false;
    QObject watch;
    connect(qApp, &QGuiApplication::focusWindowChanged, &watch, [&](QWindow* w) {
        if (w == next->windowHandle() && active < 0) {
            active = clock.elapsed();
            keptThen = left->isVisible();
        }
    });
    activation.Unload(left, true);
    activation.Show(next.get(), true);
    activation.ProcedureReturned();
    QVERIFY(QTest::qWaitForWindowActive(next.get()));
    QVERIFY(keptThen);
    if (typed) {
        key = clock.elapsed();
        QTest::keyClick(next.get(), Qt::Key_1);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!departure.window, 4 * kHold);
    QVERIFY2(departure.hidden - active >= Early(kSettle),
             qPrintable(QString::number(departure.hidden - active)));
    if (typed)
        QVERIFY2(departure.hidden - key >= Early(kHold), qPrintable(QString::number(departure.hidden - key)));
    QVERIFY2(departure.destroyed - departure.hidden >= Early(kHold),
             qPrintable(QString::number(departure.destroyed - departure.hidden)));
}

// A window left before the window asked for is active stays through a later
// procedure; one that has settled goes on its own time whatever procedures
// follow, so that switching fast keeps few.
void TestActivation::keptThroughALaterProcedure() {
    Activation activation([] { return QPoint(); });
    QElapsedTimer clock;
    clock.start();
    auto *first = new QWidget, *second = new QWidget;
    const auto never = std::make_unique<QWidget>(nullptr, kNeverActive);
    first->show();
    QVERIFY(QTest::qWaitForWindowActive(first));
    Departure settled(first, clock), kept(second, clock);
    activation.Unload(first, true);
    activation.Show(second, true);
    activation.ProcedureReturned();
    QVERIFY(QTest::qWaitForWindowActive(second));
    activation.Unload(second, true);
    activation.Show(never.get(), true);
    activation.ProcedureReturned();
    QTRY_VERIFY_WITH_TIMEOUT(settled.hidden >= 0, 4 * kHold);
    QVERIFY(kept.window->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!kept.window, 4 * kHold);
}

// The window asked for never active: the window left stays on the screen
// until the hold lets go, and then leaves.
void TestActivation::keptWhileTheWindowAskedForIsNotActive() {
    Activation activation([] { return QPoint(); });
    QElapsedTimer clock;
    clock.start();
    auto* left = new QWidget;
    const auto next = std::make_unique<QWidget>(nullptr, kNeverActive);
    left->show();
    QVERIFY(QTest::qWaitForWindowActive(left));
    Departure departure(left, clock);
    activation.Unload(left, true);
    activation.Show(next.get(), true);
    const qint64 returned = clock.elapsed();
    activation.ProcedureReturned();
    QTRY_VERIFY_WITH_TIMEOUT(!departure.window, 4 * kHold);
    QVERIFY2(departure.hidden - returned >= Early(kHold),
             qPrintable(QString::number(departure.hidden - returned)));
}

QTEST_MAIN(TestActivation)
#include "tst_activation.moc"
