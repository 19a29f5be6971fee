// Text to number and single to text.
#include "calc/numconv.h"
#include "worked_examples.h"

#include <QTest>

#include <bit>
#include <cmath>
#include <limits>

using calc::FpStatus;

constexpr double kInf = std::numeric_limits<double>::infinity();

class TestNumconv : public QObject {
    Q_OBJECT
private slots:
    void textToNumber_data();
    void textToNumber();
    void singleToText_data();
    void singleToText();
    void singleToTextReadsBack();
};

void TestNumconv::textToNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");

    const QString tiny50 = QStringLiteral("0.") + QString(49, QLatin1Char('0')) + QLatin1Char('1');
    const QString ones10k(10000, QLatin1Char('1'));
    const QString tiny10k = QStringLiteral("0.") + QString(9997, QLatin1Char('0')) + QLatin1Char('1');

    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("letters only") << "abc" << 0.0;
    QTest::newRow("plain integer") << "400" << 400.0;
    QTest::newRow("decimal") << "314.16" << 314.16;
    QTest::newRow("negative") << "-100" << -100.0;
    QTest::newRow("plus sign") << "+5" << 5.0;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("trailing point") << "5." << 5.0;
    QTest::newRow("point only") << "." << 0.0;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("trailing unit ignored") << "12mm" << 12.0;
    QTest::newRow("comma stops the number") << "1,5" << 1.0;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("inner blank stops") << "1 000" << 1.0;
    QTest::newRow("leading blanks and tab") << " \t 12.5" << 12.5;
    QTest::newRow("ideographic space") << QStringLiteral("\u300012.5") << 12.5;
    QTest::newRow("blank between sign and digits") << "- 5" << 0.0;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("negative exponent upper case") << "25E-2" << 0.25;
    QTest::newRow("exponent without digits") << "7e" << 7.0;
    QTest::newRow("exponent sign without digits") << "7e+" << 7.0;
    QTest::newRow("full-width number") << QStringLiteral("１２．５") << 12.5;
    QTest::newRow("full-width minus") << QStringLiteral("－３") << -3.0;
    QTest::newRow("full-width plus and exponent") << QStringLiteral("＋１ｅ３") << 1000.0;
    QTest::newRow("full-width upper E") << QStringLiteral("２Ｅ－１") << 0.2;
    QTest::newRow("mixed widths") << QStringLiteral("1２.５") << 12.5;
    QTest::newRow("ideographic full stop") << QStringLiteral("２。５") << 2.5;
    QTest::newRow("ideographic full stop first") << QStringLiteral("。5") << 0.5;
    QTest::newRow("ideographic full stop last") << QStringLiteral("５。") << 5.0;
    QTest::newRow("ideographic full stop only") << QStringLiteral("。") << 0.0;
    QTest::newRow("halfwidth ideographic full stop") << QStringLiteral("２｡５") << 2.5;
    QTest::newRow("halfwidth ideographic full stop first") << QStringLiteral("｡5") << 0.5;
    QTest::newRow("ideographic full stop and exponent") << QStringLiteral("－１。５ｅ３") << -1500.0;
    QTest::newRow("ideographic full stop after a point stops") << QStringLiteral("1.2。3") << 1.2;
    QTest::newRow("point after an ideographic full stop stops") << QStringLiteral("1｡2.3") << 1.2;
    QTest::newRow("full-width comma stops the number") << QStringLiteral("1，5") << 1.0;
    QTest::newRow("ideographic comma stops the number") << QStringLiteral("1、5") << 1.0;
    QTest::newRow("inf is not a number") << "inf" << 0.0;
    QTest::newRow("nan is not a number") << "nan" << 0.0;
    QTest::newRow("hexadecimal is not a number") << "0x10" << 0.0;
    QTest::newRow("radix prefix is not a number") << "&H10" << 0.0;
    QTest::newRow("emoji first") << QStringLiteral("\U0001F600 5") << 0.0;
    QTest::newRow("emoji after") << QStringLiteral("5\U0001F600") << 5.0;
    QTest::newRow("arabic-indic digits") << QStringLiteral("\u0661\u0662") << 0.0;
    QTest::newRow("beyond the single range") << "1e39" << 1e39;
    QTest::newRow("largest double") << "1.7976931348623157e308" << std::numeric_limits<double>::max();
    QTest::newRow("beyond the double range") << "1e400" << kInf;
    QTest::newRow("beyond the double range negative") << "-1e400" << -kInf;
    QTest::newRow("point and huge exponent") << "0.001e400" << kInf;
    QTest::newRow("upper-case signed exponent beyond") << "1E+400" << kInf;
    QTest::newRow("upper-case signed exponent below") << "-25E-400" << -0.0;
    QTest::newRow("full-width exponent beyond") << QStringLiteral("７ｅ＋３１６") << kInf;
    QTest::newRow("exponent past any counter") << "1e99999999999999999999" << kInf;
    QTest::newRow("ten thousand digits") << ones10k << kInf;
    QTest::newRow("least subnormal") << "5e-324" << std::numeric_limits<double>::denorm_min();
    QTest::newRow("below the double range") << "1e-400" << 0.0;
    QTest::newRow("below the double range negative") << "-1e-400" << -0.0;
    QTest::newRow("tiny exponent past any counter") << "1e-99999999999999999999" << 0.0;
    QTest::newRow("zero with huge exponent") << "0e99999" << 0.0;
    QTest::newRow("fifty decimals") << tiny50 << 1e-50;
    QTest::newRow("ten thousand character tiny") << tiny10k << 0.0;
    QTest::newRow("negative zero") << "-0" << -0.0;
    QTest::newRow("correctly rounded halfway") << "9007199254740993" << 9007199254740992.0;
}

void TestNumconv::textToNumber() {
    QFETCH(QString, text);
    QFETCH(double, value);
    FpStatus status;
    const double got = calc::TextToNumber(text.toStdU16String(), status);
    QVERIFY2(std::bit_cast<quint64>(got) == std::bit_cast<quint64>(value),
             qPrintable(QStringLiteral("got %1").arg(got, 0, 'g', 17)));
    // Only a number beyond the double range raises a flag: overflow.
    QCOMPARE(status.Flags(), std::isinf(value) ? unsigned(calc::FpOverflow) : 0u);
}

void TestNumconv::singleToText_data() {
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

void TestNumconv::singleToText() {
    QFETCH(float, value);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdU16String(calc::SingleToText(value)), text);
}

// Every text the result field shows reads back to the same single, a zero to a zero.
void TestNumconv::singleToTextReadsBack() {
    std::uint32_t bits = 0x9E3779B9u;
    for (int i = 0; i < 200000; ++i) {
        bits = bits * 1664525u + 1013904223u;
        const auto f = std::bit_cast<float>(bits);
        if (!std::isfinite(f))
            continue;
        FpStatus status;
        const std::u16string text = calc::SingleToText(f);
        const auto back = static_cast<float>(calc::TextToNumber(text, status));
        QVERIFY2(std::bit_cast<quint32>(back) == bits || (f == 0 && back == 0),
                 qPrintable(QString::fromStdU16String(text)));
    }
}

QTEST_APPLESS_MAIN(TestNumconv)
#include "tst_numconv.moc"
