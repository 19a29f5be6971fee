// When the windows a procedure unloaded leave the screen: kept until the
// window asked for is active, then on their own time, later while keys come.
#include "platform/activation.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QScopeGuard>
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
    void leaves_data();
    void leaves();
    void pressChoosesItsWindow();
};

void TestActivation::leaves_data() {
    QTest::addColumn<QByteArray>("then"); // what follows the procedure
    QTest::newRow("no key: a settle after the window asked for is active") << QByteArray("settle");
    QTest::newRow("typed on: a hold after the last key") << QByteArray("key");
    QTest::newRow("kept while the window asked for is not active") << QByteArray("never active");
    QTest::newRow("kept through a later procedure") << QByteArray("later procedure");
}

// A procedure unloads the active window and shows another, which becomes active
// unless the window manager would not activate it.
void TestActivation::leaves() {
    QFETCH(QByteArray, then);
    const bool active = then != "never active";
    if ((!active || then == "later procedure") &&
        QGuiApplication::platformName() != QLatin1String("offscreen"))
        QSKIP("a window that is never active is made so on the offscreen platform");
    Activation activation([] { return QPoint(); });
    QElapsedTimer clock;
    clock.start();
    auto* left = new QWidget;
    QPointer<QWidget> next = new QWidget(nullptr, active ? Qt::WindowFlags() : kNeverActive);
    const auto deleteNext = qScopeGuard([&] { delete next.data(); });
    left->show();
    QVERIFY(QTest::qWaitForWindowActive(left));
    Departure departure(left, clock);
    // Times taken no later than the program takes them: this slot runs before the activation's.
    qint64 activeAt = -1;
    bool keptThen = false;
    QObject watch;
    connect(qApp, &QGuiApplication::focusWindowChanged, &watch, [&](QWindow* w) {
        if (next && w == next->windowHandle() && activeAt < 0) {
            activeAt = clock.elapsed();
            keptThen = left->isVisible();
        }
    });
    activation.Unload(left, true);
    activation.Show(next, true);
    const qint64 returned = clock.elapsed();
    activation.ProcedureReturned();
    if (active) {
        QVERIFY(QTest::qWaitForWindowActive(next));
        QVERIFY(keptThen);
    }
    if (then == "later procedure") {
        // The window left before the one asked for was active stays through
        // it; the one that has settled goes on its own time, so that switching
        // fast keeps few.
        const auto never = std::make_unique<QWidget>(nullptr, kNeverActive);
        Departure kept(next, clock);
        activation.Unload(next, true);
        activation.Show(never.get(), true);
        activation.ProcedureReturned();
        QTRY_VERIFY_WITH_TIMEOUT(departure.hidden >= 0, 4 * kHold);
        QVERIFY(kept.window->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!kept.window, 4 * kHold);
        return;
    }
    const qint64 key = clock.elapsed();
    if (then == "key")
        QTest::keyClick(next, Qt::Key_1);
    QTRY_VERIFY_WITH_TIMEOUT(!departure.window, 4 * kHold);
    // A settle once the window asked for is active, else the hold from the procedure's return.
    const qint64 shown = departure.hidden - (active ? activeAt : returned);
    QVERIFY2(shown >= Early(active ? kSettle : kHold), qPrintable(QString::number(shown)));
    if (then == "key")
        QVERIFY2(departure.hidden - key >= Early(kHold), qPrintable(QString::number(departure.hidden - key)));
    QVERIFY2(departure.destroyed - departure.hidden >= Early(kHold),
             qPrintable(QString::number(departure.destroyed - departure.hidden)));
}

// A press in a window the procedure showed makes it active, though the window
// asked for became active after the press's window did.
void TestActivation::pressChoosesItsWindow() {
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QSKIP("the offscreen platform activates a window as it shows");
    Activation activation([] { return QPoint(); });
    QWidget asked, pressed;
    asked.show();
    QVERIFY(QTest::qWaitForWindowActive(&asked));
    QList<QWindow*> activated;
    QObject watch;
    connect(qApp, &QGuiApplication::focusWindowChanged, &watch, [&](QWindow* w) { activated << w; });
    activation.Show(&pressed, true);
    activation.Request(&asked, true);
    activation.ProcedureReturned();
    QTRY_COMPARE(activated, (QList<QWindow*>{pressed.windowHandle(), asked.windowHandle()}));
    QTest::mouseClick(&pressed, Qt::LeftButton);
    QTRY_COMPARE(QApplication::activeWindow(), &pressed);
}

QTEST_MAIN(TestActivation)
#include "tst_activation.moc"
