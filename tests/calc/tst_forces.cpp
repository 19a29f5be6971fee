// The three formulas on the worked examples and on the cases worked out by hand.
#include "calc/forces.h"
#include "calc/numconv.h"
#include "formula_table.h"
#include "worked_examples.h"

#include <QTest>

#include <bit>

using namespace calc;

class TestForces : public QObject {
    Q_OBJECT
private slots:
    void formulas_data();
    void formulas();
};

void TestForces::formulas_data() {
    AddFormulaCases();
    // The examples' texts read as the window reads them: the last one's narrowing is pending.
    for (const WorkedExample& e : WorkedExamples()) {
        FormulaCase c{e.formula, {0, 0, 0, kBlankingCoefficient}, 0, e.value, e.flags, e.check};
        FpStatus read;
        for (qsizetype i = 0; i < e.inputs.size(); ++i) {
            read.Clear();
            c.operands[std::size_t(i)] = Narrow(TextToNumber(e.inputs[i].toStdU16String(), read), read);
        }
        c.pending = read.Flags();
        QTest::newRow(qPrintable(e.name)) << c;
    }
}

void TestForces::formulas() {
    QFETCH(FormulaCase, formulaCase);
    const auto& [formula, v, pending, result, flags, check] = formulaCase;
    FpStatus status;
    status.Raise(pending);
    try {
        float got = 0;
        switch (formula) {
        case Formula::Blanking: got = BlankingForce(v[0], v[1], v[2], v[3], status); break;
        case Formula::Drawing: got = DrawingForce(v[0], v[1], v[2], v[3], status); break;
        case Formula::Bending: got = BendingForce(v[0], v[1], v[2], v[3], status); break;
        }
        QVERIFY2(check == 0, "no fault raised");
        const auto bits = [](float f) { return QString::number(std::bit_cast<quint32>(f), 16); };
        QCOMPARE(bits(got), bits(result)); // a zero's sign too
    } catch (const FloatingPointError& e) {
        QVERIFY2(check != 0, "a fault raised");
        QCOMPARE(e.Flags(), flags);
        QCOMPARE(e.Check(), check);
    }
}

QTEST_APPLESS_MAIN(TestForces)
#include "tst_forces.moc"
