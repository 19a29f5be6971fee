// The calculator windows: computing, clearing, faults and arrow keys, driven
// through the real windows.
#include "harness.h"

class TestCalculator : public GuiTest {
    Q_OBJECT
private slots:
    void compute_data();
    void compute();
    void faults_data();
    void faults();
    void clear_data();
    void clear();
    void resultFieldIsEditableAndOverwritten();
    void arrows_data();
    void arrows();
    void linkOpensTheMakersSite();
    void failedLaunchKeepsTheProgram();
};

namespace {
const QString k39 = QStringLiteral("1") + QString(39, QLatin1Char('0'));
const QString kTiny50 = QStringLiteral("0.") + QString(49, QLatin1Char('0')) + QLatin1Char('1');
} // namespace

void TestCalculator::compute_data() {
    QTest::addColumn<int>("window");
    QTest::addColumn<QStringList>("texts"); // by name: Text1, Text2, Text3, Text4
    QTest::addColumn<QString>("result");
    // Form2: Text1 L, Text2 t, Text3 σb, Text4 k.  Form3: B, t, σb, R.  Form1: L, t, τb.
    QTest::newRow("drawing 100 1.5 400 0.6") << 2 << QStringList{"100", "1.5", "400", "0.6"} << "36000";
    QTest::newRow("drawing 314.16 1 400 0.8") << 2 << QStringList{"314.16", "1", "400", "0.8"} << "100531.2";
    QTest::newRow("drawing 123.4 1.2 410 0.55")
        << 2 << QStringList{"123.4", "1.2", "410", "0.55"} << "33392.043";
    QTest::newRow("drawing negative L") << 2 << QStringList{"-100", "1.5", "400", "0.6"} << "-36000";
    QTest::newRow("drawing only L") << 2 << QStringList{"5", "", "", ""} << "0";
    QTest::newRow("drawing all empty") << 2 << QStringList{"", "", "", ""} << "0";
    QTest::newRow("drawing earlier field beyond single")
        << 2 << QStringList{k39, "1", "1", "1"} << QStringLiteral("∞");
    QTest::newRow("drawing σb beyond single, read before k")
        << 2 << QStringList{"1", "1", k39, "1"} << QStringLiteral("∞");
    QTest::newRow("drawing earlier field beyond double")
        << 2 << QStringList{"1e400", "1", "1", "1"} << QStringLiteral("∞");
    QTest::newRow("drawing full-width input")
        << 2 << QStringList{QStringLiteral("１００"), "1.5", "400", "0.6"} << "36000";
    QTest::newRow("drawing units typed after numbers")
        << 2 << QStringList{"100mm", "1.5mm", "400Mpa", "0.6"} << "36000";
    QTest::newRow("bending 50 2 400 3") << 3 << QStringList{"50", "2", "400", "3"} << "14560";
    QTest::newRow("bending 25.4 0.8 300 1.6") << 3 << QStringList{"25.4", "0.8", "300", "1.6"} << "1849.12";
    QTest::newRow("bending 100 3 450 0") << 3 << QStringList{"100", "3", "450", "0"} << "122850";
    QTest::newRow("bending 0 0 400 3") << 3 << QStringList{"0", "0", "400", "3"} << "0";
    QTest::newRow("bending gate closed with R 0") << 3 << QStringList{"10", "0", "0", "0"} << "0";
    QTest::newRow("bending tiny t counts as 0") << 3 << QStringList{"10", kTiny50, "0", ""} << "0";
    QTest::newRow("bending all empty") << 3 << QStringList{"", "", "", ""} << "0";
    QTest::newRow("blanking 100 2 300") << 1 << QStringList{"100", "2", "300"} << "78000";
    QTest::newRow("blanking all empty") << 1 << QStringList{"", "", ""} << "0";
    QTest::newRow("blanking letters") << 1 << QStringList{"abc", "x", "?"} << "0";
}

void TestCalculator::compute() {
    QFETCH(int, window);
    QFETCH(QStringList, texts);
    QFETCH(QString, result);
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(window);
    Harness::Fill(form, texts);
    Harness::Click(form, "Command1");
    QCOMPARE(Harness::Text(form, "Text5"), result);
    QVERIFY(h.reports.isEmpty());
    // The inputs are not validated, changed or reformatted.
    const char* names[] = {"Text1", "Text2", "Text3", "Text4"};
    for (int i = 0; i < texts.size(); ++i)
        QCOMPARE(Harness::Text(form, names[i]), texts[i]);
}

void TestCalculator::faults_data() {
    QTest::addColumn<int>("window");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("fault");
    QTest::newRow("bending t 0 R 0 is 0 / 0")
        << 3 << QStringList{"10", "0", "300", "0"} << QStringLiteral("无效");
    QTest::newRow("bending t + R = 0")
        << 3 << QStringList{"10", "2", "300", "-2"} << QStringLiteral("除数为零");
    QTest::newRow("bending quotient beyond single")
        << 3 << QStringList{"1e20", "1e10", "1e10", "0"} << QStringLiteral("溢出");
    QTest::newRow("drawing product beyond single")
        << 2 << QStringList{"1e10", "1e10", "1e10", "1e10"} << QStringLiteral("溢出");
    QTest::newRow("drawing k, the last field, beyond single")
        << 2 << QStringList{"1", "1", "1", k39} << QStringLiteral("溢出");
    QTest::newRow("drawing k beyond double")
        << 2 << QStringList{"1", "1", "1", "1e400"} << QStringLiteral("溢出");
    QTest::newRow("drawing infinite L times σb 0")
        << 2 << QStringList{k39, "1", "0", "1"} << QStringLiteral("无效");
    QTest::newRow("blanking τb, the last field, beyond single")
        << 1 << QStringList{"1", "1", k39} << QStringLiteral("溢出");
    QTest::newRow("blanking product beyond single")
        << 1 << QStringList{"1e20", "1e10", "1e10"} << QStringLiteral("溢出");
}

// A fault is reported, and nothing is lost: the program goes on, Text5 keeps
// its text and the inputs are as typed.
void TestCalculator::faults() {
    QFETCH(int, window);
    QFETCH(QStringList, texts);
    QFETCH(QString, fault);
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(window);
    Harness::Type(form, "Text5", QStringLiteral("previous"));
    Harness::Fill(form, texts);
    Harness::Click(form, "Command1");
    QCOMPARE(h.reports.size(), 1);
    QVERIFY2(h.reports[0].contains(fault), qPrintable(h.reports[0]));
    QVERIFY(!h.exitCode);
    QVERIFY(form.IsShown());
    QCOMPARE(Harness::Text(form, "Text5"), QStringLiteral("previous"));
    const char* names[] = {"Text1", "Text2", "Text3", "Text4"};
    for (int i = 0; i < texts.size(); ++i)
        QCOMPARE(Harness::Text(form, names[i]), texts[i]);
    // The window still computes afterwards.
    Harness::Fill(form, QStringList(texts.size(), QString()));
    Harness::Click(form, "Command1");
    QCOMPARE(h.reports.size(), 1);
    QCOMPARE(Harness::Text(form, "Text5"), QStringLiteral("0"));
}

void TestCalculator::clear_data() { Harness::CalculatorRows(); }

void TestCalculator::clear() {
    QFETCH(int, window);
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(window);
    Harness::Fill(form, window == 1 ? QStringList{"1", "2", "3"} : QStringList{"1", "2", "3", "4"});
    Harness::Type(form, "Text5", "5");
    Harness::Edit(form, "Text5")->setFocus();
    Harness::Click(form, "Command2");
    for (const char* name : {"Text1", "Text2", "Text3", "Text5"})
        QCOMPARE(Harness::Text(form, name), QString());
    if (window == 1)
        QVERIFY(!form.Control({"Text4"}));
    else
        QCOMPARE(Harness::Text(form, "Text4"), QString());
    QCOMPARE(Harness::FocusName(), QStringLiteral("Text1"));
}

void TestCalculator::resultFieldIsEditableAndOverwritten() {
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(2);
    QLineEdit* result = Harness::Edit(form, "Text5");
    QVERIFY(!result->isReadOnly());
    result->setFocus();
    QTest::keyClicks(result, "typed");
    QCOMPARE(result->text(), QStringLiteral("typed"));
    Harness::Fill(form, {"100", "1.5", "400", "0.6"});
    Harness::Click(form, "Command1");
    QCOMPARE(result->text(), QStringLiteral("36000"));
}

void TestCalculator::arrows_data() {
    QTest::addColumn<int>("window");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("focus");
    const int down = Qt::Key_Down, up = Qt::Key_Up, left = Qt::Key_Left, right = Qt::Key_Right;
    const int none = Qt::NoModifier;
    QTest::newRow("Form1 Text1 down") << 1 << "Text1" << down << none << "Text2";
    QTest::newRow("Form1 Text1 up stays") << 1 << "Text1" << up << none << "Text1";
    QTest::newRow("Form1 Text2 up") << 1 << "Text2" << up << none << "Text1";
    QTest::newRow("Form1 Text2 down") << 1 << "Text2" << down << none << "Text3";
    QTest::newRow("Form1 Text3 down to Command5") << 1 << "Text3" << down << none << "Command5";
    QTest::newRow("Form1 Text3 left stays") << 1 << "Text3" << left << none << "Text3";
    QTest::newRow("Form1 Text2 right stays") << 1 << "Text2" << right << none << "Text2";
    QTest::newRow("Form1 shift down moves") << 1 << "Text1" << down << int(Qt::ShiftModifier) << "Text2";
    QTest::newRow("Form1 ctrl alt up moves")
        << 1 << "Text2" << up << int(Qt::ControlModifier | Qt::AltModifier) << "Text1";
    QTest::newRow("Form1 Text5 down does nothing") << 1 << "Text5" << down << none << "Text5";
    QTest::newRow("Form2 Text2 down to Text4") << 2 << "Text2" << down << none << "Text4";
    QTest::newRow("Form2 Text4 down to Text3") << 2 << "Text4" << down << none << "Text3";
    QTest::newRow("Form2 Text3 up to Text4") << 2 << "Text3" << up << none << "Text4";
    QTest::newRow("Form2 Text4 up to Text2") << 2 << "Text4" << up << none << "Text2";
    QTest::newRow("Form2 Text3 down to Command5") << 2 << "Text3" << down << none << "Command5";
    QTest::newRow("Form2 Text3 left to Text1") << 2 << "Text3" << left << none << "Text1";
    QTest::newRow("Form2 Text4 left stays") << 2 << "Text4" << left << none << "Text4";
    QTest::newRow("Form2 Text3 right stays") << 2 << "Text3" << right << none << "Text3";
    QTest::newRow("Form3 Text3 down to Text4") << 3 << "Text3" << down << none << "Text4";
    QTest::newRow("Form3 Text4 up to Text3") << 3 << "Text4" << up << none << "Text3";
    QTest::newRow("Form3 Text4 down to Command5") << 3 << "Text4" << down << none << "Command5";
    QTest::newRow("Form3 Text4 left to Text2") << 3 << "Text4" << left << none << "Text2";
    QTest::newRow("Form3 Text3 left stays") << 3 << "Text3" << left << none << "Text3";
    QTest::newRow("Form3 Text1 up stays") << 3 << "Text1" << up << none << "Text1";
}

void TestCalculator::arrows() {
    QFETCH(int, window);
    QFETCH(QString, field);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, focus);
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(window);
    QLineEdit* start = Harness::Edit(form, field.toLatin1().constData());
    start->setText(QStringLiteral("12"));
    start->setFocus();
    QCOMPARE(Harness::FocusName(), field);
    QTest::keyClick(start, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(Harness::FocusName(), focus);
    QCOMPARE(start->text(), QStringLiteral("12")); // the key moves focus, never edits
    QVERIFY(h.reports.isEmpty());
}

void TestCalculator::linkOpensTheMakersSite() {
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(3);
    Harness::Fill(form, {"1", "2"});
    Harness::Click(form, "Label6");
    Harness::Click(form, "Label6");
    QCOMPARE(h.opened.size(), 2);
    QCOMPARE(h.opened[0], QUrl(QStringLiteral("http://tamberlo.example")));
    QVERIFY(form.IsShown());
    QCOMPARE(Harness::Text(form, "Text2"), QStringLiteral("2"));
}

void TestCalculator::failedLaunchKeepsTheProgram() {
    Harness h(*environment_);
    h.browserWorks = false;
    platform::Form& form = h.OpenCalculator(1);
    Harness::Fill(form, {"7"});
    Harness::Click(form, "Label6");
    QCOMPARE(h.reports.size(), 1);
    QVERIFY(h.reports[0].contains(QStringLiteral("无法打开网页")));
    QVERIFY(!h.exitCode);
    QCOMPARE(Harness::Text(form, "Text1"), QStringLiteral("7"));
}

QTEST_MAIN(TestCalculator)
#include "tst_calculator.moc"
