// The table of formula cases of the formula test and the reference test:
// operands in each formula's argument order (blanking L, t, τb, K; drawing L,
// t, σb, k; bending B, t, σb, R), the flags already pending when the formula
// starts (the last field's narrowing), and what comes out: a fault with its
// flags and check number, or the bits of the result.
#pragma once

#include <QTest>

#include <array>

// The "formula" column, in calc::Formula's order.
enum FormulaNumber { BlankingFormula, DrawingFormula, BendingFormula };

inline void FormulaColumns() {
    QTest::addColumn<int>("formula");
    QTest::addColumn<float>("a");
    QTest::addColumn<float>("b");
    QTest::addColumn<float>("c");
    QTest::addColumn<float>("d");
    QTest::addColumn<unsigned>("pending");
    QTest::addColumn<bool>("fault");
    QTest::addColumn<unsigned>("flags");
    QTest::addColumn<int>("check");
    QTest::addColumn<quint32>("bits");
}

struct FormulaCase {
    int formula;
    std::array<float, 4> operands;
    unsigned pending;
    bool fault;
    unsigned flags;
    int check;
    quint32 bits;
};

// The current row.
inline FormulaCase FetchFormulaCase() {
    QFETCH(int, formula);
    QFETCH(float, a);
    QFETCH(float, b);
    QFETCH(float, c);
    QFETCH(float, d);
    QFETCH(unsigned, pending);
    QFETCH(bool, fault);
    QFETCH(unsigned, flags);
    QFETCH(int, check);
    QFETCH(quint32, bits);
    return {formula, {a, b, c, d}, pending, fault, flags, check, bits};
}
