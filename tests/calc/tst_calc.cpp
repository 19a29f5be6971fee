// Text to number, single to text, and the three formulas on the worked
// examples and on the cases worked out by hand.
#include "calc/numconv.h"
#include "formula_table.h"
#include "reference/calc_and_model.h" // calc's side only: no model here
#include "worked_examples.h"

#include <QTest>

#include <bit>
#include <cmath>
#include <limits>

using namespace calc;

constexpr double kInf = std::numeric_limits<double>::infinity();

class TestCalc : public QObject {
    Q_OBJECT
private slots:
    void textToNumber_data();
    void textToNumber();
    void singleToText_data();
    void singleToText();
    void singleToTextReadsBack();
    void formulas_data();
    void formulas();
};

void TestCalc::textToNumber_data() {
    // Each of the texts reads as the value.
    const std::tuple<const char*, QStringList, double> rows[] = {
        {"no number at the front",
         {"", "abc", ".", "-", "- 5", "。", "inf", "nan", "&H10", "\U0001F600 5", "\u0661\u0662"},
         0},
        {"plain integer", {"400"}, 400},
        {"decimal", {"314.16"}, 314.16},
        {"negative", {"-100"}, -100},
        {"plus sign", {"+5"}, 5},
        {"the point first, in each form", {".5", "。5", "｡5"}, 0.5},
        {"the point last, in each form", {"5.", "５。"}, 5},
        {"trailing unit ignored", {"12mm"}, 12},
        {"a comma or a blank ends the number", {"1,5", "1 000", "1，5", "1、5"}, 1},
        {"a second point, of any form, ends the number", {"1.2.3", "1.2。3", "1｡2.3"}, 1.2},
        {"blanks, tab and ideographic space before", {" \t 12.5", "\u300012.5"}, 12.5},
        {"exponent", {"1e3"}, 1000},
        {"negative exponent upper case", {"25E-2"}, 0.25},
        {"an exponent without digits is left", {"7e", "7e+"}, 7},
        {"full-width number, and mixed widths", {"１２．５", "1２.５"}, 12.5},
        {"full-width minus", {"－３"}, -3},
        {"full-width plus and exponent", {"＋１ｅ３"}, 1000},
        {"full-width upper E", {"２Ｅ－１"}, 0.2},
        {"ideographic full stops as the point", {"２。５", "２｡５"}, 2.5},
        {"ideographic full stop and exponent", {"－１。５ｅ３"}, -1500},
        {"hexadecimal is not a number", {"0x10"}, 0},
        {"emoji after", {"5\U0001F600"}, 5},
        {"beyond the single range", {"1e39"}, 1e39},
        {"largest double", {"1.7976931348623157e308"}, std::numeric_limits<double>::max()},
        {"beyond the double range: exponent, digits, counter",
         {"1e400", "0.001e400", "1E+400", "７ｅ＋３１６", "1e99999999999999999999", QString(10000, u'1')},
         kInf},
        {"beyond the double range negative", {"-1e400"}, -kInf},
        {"least subnormal", {"5e-324"}, std::numeric_limits<double>::denorm_min()},
        {"below the double range: exponent, digits, counter",
         {"1e-400", "1e-99999999999999999999", "0." + QString(9997, u'0') + "1"},
         0},
        {"below the double range negative", {"-1e-400", "-25E-400"}, -0.0},
        {"zero with huge exponent", {"0e99999"}, 0},
        {"fifty decimals", {"0." + QString(49, u'0') + "1"}, 1e-50},
        {"negative zero", {"-0"}, -0.0},
        {"correctly rounded halfway", {"9007199254740993"}, 9007199254740992.0},
    };
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<double>("value");
    for (const auto& [name, texts, value] : rows)
        QTest::newRow(name) << texts << value;
}

void TestCalc::textToNumber() {
    QFETCH(QStringList, texts);
    QFETCH(double, value);
    // Only a number beyond the double range raises a flag: overflow.
    const unsigned flags = std::isinf(value) ? unsigned(FpOverflow) : 0u;
    for (const QString& text : texts) {
        FpStatus status;
        const double got = TextToNumber(text.toStdU16String(), status);
        QVERIFY2(std::bit_cast<quint64>(got) == std::bit_cast<quint64>(value) && status.Flags() == flags,
                 qPrintable(QStringLiteral("\"%1\": %2, flags %3")
                                .arg(text.left(40))
                                .arg(got, 0, 'g', 17)
                                .arg(status.Flags())));
    }
}

void TestCalc::singleToText_data() {
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("text");
    for (const WorkedExample& e : WorkedExamples())
        if (!e.fault)
            QTest::newRow(qPrintable(e.name)) << e.value << e.shown;
    QTest::newRow("ten million plain") << 10000000.0f << "10000000";
    QTest::newRow("small plain") << 0.000001f << "0.000001";
    QTest::newRow("below 1e-6 exponent form") << 1.5e-7f << "1.5e-7";
    QTest::newRow("single digit exponent form") << 1e-7f << "1e-7";
    QTest::newRow("1e21 exponent form") << 1e21f << "1e+21";
    QTest::newRow("below 1e21 plain") << 1e20f << "100000000000000000000";
    QTest::newRow("largest single") << std::numeric_limits<float>::max() << "3.4028235e+38";
    QTest::newRow("least subnormal") << std::numeric_limits<float>::denorm_min() << "1e-45";
    QTest::newRow("negative zero") << -0.0f << "0";
    QTest::newRow("fraction") << 0.6f << "0.6";
    QTest::newRow("negative fraction exponent") << -2.5e-10f << "-2.5e-10";
}

void TestCalc::singleToText() {
    QFETCH(float, value);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdU16String(SingleToText(value)), text);
}

// Every text the result field shows reads back to the same single, a zero to a zero.
void TestCalc::singleToTextReadsBack() {
    std::uint32_t bits = 0x9E3779B9u;
    for (int i = 0; i < 200000; ++i) {
        bits = bits * 1664525u + 1013904223u;
        const auto f = std::bit_cast<float>(bits);
        if (!std::isfinite(f))
            continue;
        FpStatus status;
        const std::u16string text = SingleToText(f);
        const auto back = static_cast<float>(TextToNumber(text, status));
        QVERIFY2(std::bit_cast<quint32>(back) == bits || (f == 0 && back == 0),
                 qPrintable(QString::fromStdU16String(text)));
    }
}

void TestCalc::formulas_data() {
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

void TestCalc::formulas() {
    QFETCH(FormulaCase, formulaCase);
    const auto& [formula, v, pending, result, flags, check] = formulaCase;
    const reference::Outcome got = reference::CalcFormula(formula, v, pending);
    const reference::Outcome want = reference::Expected(result, flags, check);
    QCOMPARE(got.fault, want.fault);
    QCOMPARE(got.flags, want.flags);
    QCOMPARE(got.check, want.check);
    QCOMPARE(QString::number(got.bits, 16), QString::number(want.bits, 16)); // a zero's sign too
}

QTEST_APPLESS_MAIN(TestCalc)
#include "tst_calc.moc"
