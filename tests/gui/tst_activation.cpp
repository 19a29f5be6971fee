// When the windows a switch unloaded are hidden and destroyed: kept until the
// window asked for is active, then on their own time, later while keys come.
#include "platform/activation.h"
#include "platform/retired.h"

#include <QPointer>
#include <QTest>

#include <memory>

namespace {

using Retired = platform::RetiredWindows<char>;
constexpr Retired::Time kSettle = platform::Activation::kSettleMilliseconds;
constexpr Retired::Time kHold = platform::Activation::kHoldMilliseconds;

Retired Schedule() { return Retired(kSettle, kHold); }
QByteArray Hidden(Retired& r, Retired::Time now) {
    const std::vector<char> hide = r.Take(now).hide;
    return QByteArray(hide.data(), static_cast<qsizetype>(hide.size()));
}

} // namespace

class TestActivation : public QObject {
    Q_OBJECT
private slots:
    void leaves_data();
    void leaves();
    void keptThroughALaterSwitch();
    void switchingFastKeepsFew();
    void keptWhileTheWindowAskedForIsNotActive();
};

void TestActivation::leaves_data() {
    QTest::addColumn<Retired::Time>("key"); // -1: none
    QTest::addColumn<Retired::Time>("settled");
    QTest::addColumn<Retired::Time>("hidden");
    const auto row = [](const char* name, Retired::Time key, Retired::Time settled, Retired::Time hidden) {
        QTest::newRow(name) << key << settled << hidden;
    };
    row("no key: a settle after the window asked for is active", -1, 40, 40 + kSettle);
    row("typed on: a hold after the last key", 300, 40, 300 + kHold);
    row("a key long before: a settle", 0, 5000, 5000 + kSettle);
}

void TestActivation::leaves() {
    QFETCH(Retired::Time, key);
    QFETCH(Retired::Time, settled);
    QFETCH(Retired::Time, hidden);
    Retired r = Schedule();
    r.Retire('a');
    QVERIFY(!r.Next()); // kept until the window asked for is active
    if (key >= 0 && key < settled)
        r.Key(key);
    r.Settle(settled);
    if (key >= settled)
        r.Key(key);
    QCOMPARE(r.Next().value_or(-1), hidden);
    QCOMPARE(Hidden(r, hidden - 1), QByteArray());
    QCOMPARE(Hidden(r, hidden), QByteArray("a"));
    QCOMPARE(r.Next().value_or(-1), hidden + kHold);
    QVERIFY(r.Take(hidden + kHold - 1).destroy.empty());
    QCOMPARE(r.Take(hidden + kHold).destroy, std::vector<char>{'a'});
    QVERIFY(r.Empty());
}

// A switch before the window asked for is active keeps the window it left
// (it may hold the focus); one settled before goes on its own time.
void TestActivation::keptThroughALaterSwitch() {
    Retired r = Schedule();
    r.Retire('a');
    r.Retire('b');
    QVERIFY(!r.Next());
    r.Settle(0);
    r.Retire('c');
    QCOMPARE(Hidden(r, kSettle), QByteArray("ab"));
    QCOMPARE(r.Next().value_or(-1), kSettle + kHold);
    QVERIFY(r.Take(kSettle + kHold).destroy.size() == 2);
    QVERIFY(!r.Next());
    QVERIFY(r.AnyOf([](char w) { return w == 'c'; }));
}

// Switching faster than a settle, as a long session's clicks do, keeps no
// more windows than the time they take to leave holds.
void TestActivation::switchingFastKeepsFew() {
    constexpr Retired::Time kPeriod = 50;
    constexpr int kSwitches = 200;
    Retired r = Schedule();
    int destroyed = 0;
    for (int i = 0; i < kSwitches; ++i) {
        r.Retire(static_cast<char>(i));
        destroyed += static_cast<int>(r.Take(i * kPeriod).destroy.size());
        r.Settle(i * kPeriod + 10);
        destroyed += static_cast<int>(r.Take(i * kPeriod + 10).destroy.size());
    }
    QVERIFY2(kSwitches - destroyed <= (kSettle + kHold) / kPeriod + 2, QByteArray::number(destroyed));
}

// Two switches, the windows they ask for never active (the offscreen platform
// activates any other window as it is shown): the window the first switch left
// stays on the screen until the second's hold lets go.
void TestActivation::keptWhileTheWindowAskedForIsNotActive() {
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QSKIP("a window that is never active is made so on the offscreen platform");
    platform::Activation activation([] { return QPoint(); });
    constexpr Qt::WindowFlags kNeverActive = Qt::ToolTip | Qt::WindowDoesNotAcceptFocus;
    QPointer<QWidget> left = new QWidget, between = new QWidget(nullptr, kNeverActive);
    const auto next = std::make_unique<QWidget>(nullptr, kNeverActive);
    left->show();
    QVERIFY(QTest::qWaitForWindowActive(left));
    activation.Retire(left);
    activation.Show(between, true);
    activation.ProcedureReturned();
    activation.Retire(between);
    activation.Show(next.get(), true);
    activation.ProcedureReturned();
    int holdingWhenHidden = -1;
    QObject watch;
    connect(left->windowHandle(), &QWindow::visibleChanged, &watch, [&](bool visible) {
        if (!visible)
            holdingWhenHidden = activation.Holding();
    });
    QTRY_VERIFY_WITH_TIMEOUT(!left, 4 * platform::Activation::kHoldMilliseconds);
    QCOMPARE(holdingWhenHidden, 0);
}

QTEST_MAIN(TestActivation)
#include "tst_activation.moc"
