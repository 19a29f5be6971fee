// The three formulas: the worked examples, zero gates and fault checks.
#include "calc/forces.h"
#include "calc/numconv.h"
#include "formula_table.h"
#include "worked_examples.h"

#include <QTest>

#include <bit>
#include <limits>

using namespace calc;

namespace {
constexpr float kInf = std::numeric_limits<float>::infinity();

// Operands in each formula's own argument order; `pending` is what the status
// already holds when the formula starts (the last input's narrowing).
float Run(int formula, const std::array<float, 4>& v, unsigned pending, FpStatus& status) {
    status.Clear();
    status.Raise(pending);
    switch (formula) {
    case BlankingFormula: return BlankingForce(v[0], v[1], v[2], v[3], status);
    case DrawingFormula: return DrawingForce(v[0], v[1], v[2], v[3], status);
    default: return BendingForce(v[0], v[1], v[2], v[3], status);
    }
}

void Gives(const char* name, int formula, const std::array<float, 4>& v, float result, unsigned pending = 0) {
    QTest::newRow(name) << formula << v[0] << v[1] << v[2] << v[3] << pending << false << 0u << 0
                        << std::bit_cast<quint32>(result);
}

void Faults(const char* name, int formula, const std::array<float, 4>& v, unsigned pending, unsigned flags,
            int check) {
    QTest::newRow(name) << formula << v[0] << v[1] << v[2] << v[3] << pending << true << flags << check << 0u;
}
} // namespace

class TestForces : public QObject {
    Q_OBJECT
private slots:
    void formulas_data();
    void formulas();
};

void TestForces::formulas_data() {
    FormulaColumns();
    // The examples' texts read as the window reads them: the last one's narrowing is pending.
    for (const WorkedExample& e : WorkedExamples()) {
        std::array<float, 4> v{0.0f, 0.0f, 0.0f, kBlankingCoefficient};
        FpStatus read;
        for (qsizetype i = 0; i < e.inputs.size(); ++i) {
            read.Clear();
            v[std::size_t(i)] = Narrow(TextToNumber(e.inputs[i].toStdU16String(), read), read);
        }
        if (e.fault)
            Faults(qPrintable(e.name), int(e.formula), v, read.Flags(), e.flags, e.check);
        else
            Gives(qPrintable(e.name), int(e.formula), v, e.value, read.Flags());
    }
    // Drawing: L, t, σb, k.  Bending: B, t, σb, R.  Blanking: L, t, τb, K.
    Gives("drawing all zero", DrawingFormula, {0.0f, 0.0f, 0.0f, 0.0f}, 0.0f);
    Gives("drawing negative zeros close the gate", DrawingFormula, {-0.0f, -0.0f, -0.0f, -0.0f}, 0.0f);
    Gives("drawing unseen infinite L", DrawingFormula, {kInf, 1.0f, 1.0f, 1.0f}, kInf);
    Gives("drawing underflow to zero", DrawingFormula, {1e-30f, 1e-30f, 1.0f, 1.0f}, 0.0f);
    Gives("bending gate closed, B and R set", BendingFormula, {99.0f, 0.0f, 0.0f, -5.0f}, 0.0f);
    Gives("blanking K 1", BlankingFormula, {100.0f, 2.0f, 300.0f, 1.0f}, 60000.0f);
    Gives("blanking all zero", BlankingFormula, {0.0f, 0.0f, 0.0f, kBlankingCoefficient}, 0.0f);
    Faults("bending infinite t and R: inf - inf", BendingFormula, {1.0f, kInf, 1.0f, -kInf}, 0u,
           unsigned(FpInvalid), 1);
    Faults("bending infinite B and zero t", BendingFormula, {kInf, 0.0f, 1.0f, 1.0f}, 0u, unsigned(FpInvalid),
           1);
    Faults("bending infinities over infinity", BendingFormula, {kInf, 1.0f, 1.0f, kInf}, 0u,
           unsigned(FpInvalid), 2);
    Gives("drawing pending overflow, gate closed", DrawingFormula, {0.0f, 0.0f, 0.0f, 0.0f}, 0.0f,
          unsigned(FpOverflow));
    Faults("blanking inf times zero", BlankingFormula, {kInf, 0.0f, 0.0f, kBlankingCoefficient}, 0u,
           unsigned(FpInvalid), 1);
}

void TestForces::formulas() {
    const FormulaCase t = FetchFormulaCase();
    FpStatus status;
    try {
        const float got = Run(t.formula, t.operands, t.pending, status);
        QVERIFY2(!t.fault, "no fault raised");
        const auto want = std::bit_cast<float>(t.bits);
        QVERIFY2(std::bit_cast<quint32>(got) == t.bits || (got == 0.0f && want == 0.0f),
                 qPrintable(QString::number(double(got), 'g', 17)));
    } catch (const FloatingPointError& e) {
        QVERIFY2(t.fault, "a fault raised");
        QCOMPARE(e.Flags(), t.flags);
        QCOMPARE(e.Check(), t.check);
    }
}

QTEST_APPLESS_MAIN(TestForces)
#include "tst_forces.moc"
