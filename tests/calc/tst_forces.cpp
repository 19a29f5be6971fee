// The three formulas: worked examples, zero gates and fault checks.
#include "calc/forces.h"

#include <QTest>

#include <cmath>
#include <cstring>
#include <limits>

using namespace calc;

namespace {
constexpr float kInf = std::numeric_limits<float>::infinity();
enum Formula { Blanking, Drawing, Bending };
constexpr int kNoFault = 0;

// Operands in each formula's own argument order; `pending` is what the status
// already holds when the formula starts (the last input's narrowing).
float Run(int formula, float a, float b, float c, float d, unsigned pending, FpStatus& status) {
    status.Clear();
    status.Raise(pending);
    switch (formula) {
    case Blanking: return BlankingForce(a, b, c, d, status);
    case Drawing: return DrawingForce(a, b, c, d, status);
    default: return BendingForce(a, b, c, d, status);
    }
}
} // namespace

class TestForces : public QObject {
    Q_OBJECT
private slots:
    void results_data();
    void results();
    void faults_data();
    void faults();
};

void TestForces::results_data() {
    QTest::addColumn<int>("formula");
    QTest::addColumn<float>("a");
    QTest::addColumn<float>("b");
    QTest::addColumn<float>("c");
    QTest::addColumn<float>("d");
    QTest::addColumn<float>("result");
    // Drawing: L, t, σb, k.  Bending: B, t, σb, R.  Blanking: L, t, τb, K.
    QTest::newRow("drawing 100 1.5 400 0.6") << int(Drawing) << 100.0f << 1.5f << 400.0f << 0.6f << 36000.0f;
    QTest::newRow("drawing 314.16 1 400 0.8") << int(Drawing) << 314.16f << 1.0f << 400.0f << 0.8f << 100531.203125f;
    QTest::newRow("drawing 123.4 1.2 410 0.55") << int(Drawing) << 123.4f << 1.2f << 410.0f << 0.55f << 33392.04296875f;
    QTest::newRow("drawing negative L") << int(Drawing) << -100.0f << 1.5f << 400.0f << 0.6f << -36000.0f;
    QTest::newRow("drawing only L, gate open") << int(Drawing) << 5.0f << 0.0f << 0.0f << 0.0f << 0.0f;
    QTest::newRow("drawing all zero") << int(Drawing) << 0.0f << 0.0f << 0.0f << 0.0f << 0.0f;
    QTest::newRow("drawing negative zeros close the gate") << int(Drawing) << -0.0f << -0.0f << -0.0f << -0.0f << 0.0f;
    QTest::newRow("drawing unseen infinite L") << int(Drawing) << kInf << 1.0f << 1.0f << 1.0f << kInf;
    QTest::newRow("drawing underflow to zero") << int(Drawing) << 1e-30f << 1e-30f << 1.0f << 1.0f << 0.0f;
    QTest::newRow("bending 50 2 400 3") << int(Bending) << 50.0f << 2.0f << 400.0f << 3.0f << 14560.0f;
    QTest::newRow("bending 25.4 0.8 300 1.6") << int(Bending) << 25.4f << 0.8f << 300.0f << 1.6f << 1849.1199951171875f;
    QTest::newRow("bending 100 3 450 0") << int(Bending) << 100.0f << 3.0f << 450.0f << 0.0f << 122850.0f;
    QTest::newRow("bending 0 0 400 3, 0 / 3") << int(Bending) << 0.0f << 0.0f << 400.0f << 3.0f << 0.0f;
    QTest::newRow("bending gate closed, R 0") << int(Bending) << 10.0f << 0.0f << 0.0f << 0.0f << 0.0f;
    QTest::newRow("bending gate closed, B and R set") << int(Bending) << 99.0f << 0.0f << 0.0f << -5.0f << 0.0f;
    QTest::newRow("blanking K 1") << int(Blanking) << 100.0f << 2.0f << 300.0f << 1.0f << 60000.0f;
    QTest::newRow("blanking K 1.3") << int(Blanking) << 100.0f << 2.0f << 300.0f << kBlankingCoefficient << 78000.0f;
    QTest::newRow("blanking all zero") << int(Blanking) << 0.0f << 0.0f << 0.0f << kBlankingCoefficient << 0.0f;
}

void TestForces::results() {
    QFETCH(int, formula);
    QFETCH(float, a);
    QFETCH(float, b);
    QFETCH(float, c);
    QFETCH(float, d);
    QFETCH(float, result);
    FpStatus status;
    const float got = Run(formula, a, b, c, d, 0, status);
    QVERIFY2(std::memcmp(&got, &result, sizeof got) == 0 || (got == 0.0f && result == 0.0f),
             qPrintable(QString::number(double(got), 'g', 17)));
}

void TestForces::faults_data() {
    QTest::addColumn<int>("formula");
    QTest::addColumn<float>("a");
    QTest::addColumn<float>("b");
    QTest::addColumn<float>("c");
    QTest::addColumn<float>("d");
    QTest::addColumn<unsigned>("pending");
    QTest::addColumn<unsigned>("flags");
    QTest::addColumn<int>("check");
    QTest::newRow("bending t 0 R 0: 0 / 0") << int(Bending) << 10.0f << 0.0f << 300.0f << 0.0f << 0u << unsigned(FpInvalid) << 2;
    QTest::newRow("bending t + R = 0: division by zero") << int(Bending) << 10.0f << 2.0f << 300.0f << -2.0f << 0u << unsigned(FpDivByZero) << 2;
    QTest::newRow("bending quotient beyond single") << int(Bending) << 1e20f << 1e10f << 1e10f << 0.0f << 0u << unsigned(FpOverflow) << 2;
    QTest::newRow("bending infinite t and R: inf - inf") << int(Bending) << 1.0f << kInf << 1.0f << -kInf << 0u << unsigned(FpInvalid) << 1;
    QTest::newRow("bending infinite B and zero t") << int(Bending) << kInf << 0.0f << 1.0f << 1.0f << 0u << unsigned(FpInvalid) << 1;
    QTest::newRow("bending pending overflow of R") << int(Bending) << 1.0f << 1.0f << 1.0f << kInf << unsigned(FpOverflow) << unsigned(FpOverflow) << 1;
    QTest::newRow("bending infinities over infinity") << int(Bending) << kInf << 1.0f << 1.0f << kInf << 0u << unsigned(FpInvalid) << 2;
    QTest::newRow("drawing product beyond single") << int(Drawing) << 1e10f << 1e10f << 1e10f << 1e10f << 0u << unsigned(FpOverflow) << 1;
    QTest::newRow("drawing inf times zero") << int(Drawing) << kInf << 1.0f << 0.0f << 1.0f << 0u << unsigned(FpInvalid) << 1;
    QTest::newRow("drawing pending overflow of k") << int(Drawing) << 1.0f << 1.0f << 1.0f << kInf << unsigned(FpOverflow) << unsigned(FpOverflow) << 1;
    QTest::newRow("drawing pending overflow, gate closed") << int(Drawing) << 0.0f << 0.0f << 0.0f << 0.0f << unsigned(FpOverflow) << 0u << kNoFault;
    QTest::newRow("blanking product beyond single") << int(Blanking) << 1e20f << 1e10f << 1e10f << kBlankingCoefficient << 0u << unsigned(FpOverflow) << 1;
    QTest::newRow("blanking inf times zero") << int(Blanking) << kInf << 0.0f << 0.0f << kBlankingCoefficient << 0u << unsigned(FpInvalid) << 1;
}

void TestForces::faults() {
    QFETCH(int, formula);
    QFETCH(float, a);
    QFETCH(float, b);
    QFETCH(float, c);
    QFETCH(float, d);
    QFETCH(unsigned, pending);
    QFETCH(unsigned, flags);
    QFETCH(int, check);
    FpStatus status;
    try {
        const float f = Run(formula, a, b, c, d, pending, status);
        QCOMPARE(check, kNoFault);
        QCOMPARE(f, 0.0f);
    } catch (const FloatingPointError& e) {
        QCOMPARE(e.Flags(), flags);
        QCOMPARE(e.Check(), check);
    }
}

QTEST_APPLESS_MAIN(TestForces)
#include "tst_forces.moc"
