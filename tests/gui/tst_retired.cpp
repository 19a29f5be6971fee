// When the windows a switch unloaded are hidden and destroyed: kept until the
// window asked for is active, then on their own time, later while keys come.
#include "platform/activation.h"
#include "platform/retired.h"

#include <QTest>

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

class TestRetired : public QObject {
    Q_OBJECT
private slots:
    void leaves_data();
    void leaves();
    void keptThroughALaterSwitch();
    void switchingFastKeepsFew();
};

void TestRetired::leaves_data() {
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

void TestRetired::leaves() {
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
void TestRetired::keptThroughALaterSwitch() {
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
void TestRetired::switchingFastKeepsFew() {
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

QTEST_GUILESS_MAIN(TestRetired)
#include "tst_retired.moc"
