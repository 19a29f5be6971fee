// The calculator windows: computing, clearing, faults and arrow keys, driven
// through the real windows.
#include "harness.h"
#include "worked_examples.h"

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

using calc::Formula;
using platform::ControlName;

namespace {
const QString k39 = QStringLiteral("1") + QString(39, QLatin1Char('0'));
const QString kTiny50 = QStringLiteral("0.") + QString(49, QLatin1Char('0')) + QLatin1Char('1');
constexpr Formula kBlanking = Formula::Blanking, kDrawing = Formula::Drawing, kBending = Formula::Bending;

// The name of the calculator's input field `i`, in the formula's order.
QString Input(Formula formula, int i) { return QString::fromLatin1(Harness::Calculator(formula).inputs[i]); }
QString Name(ControlName control) { return QString::fromLatin1(control.name); }

// The inputs hold the texts typed, in the formula's order.
void CompareInputs(platform::Form& form, Formula formula, const QStringList& texts) {
    const auto names = Harness::Inputs(formula);
    for (qsizetype i = 0; i < texts.size(); ++i)
        QCOMPARE(Harness::Text(form, names.at(std::size_t(i))), texts[i]);
}
} // namespace

void TestCalculator::compute_data() {
    QTest::addColumn<Formula>("formula");
    QTest::addColumn<QStringList>("texts"); // in the formula's order
    QTest::addColumn<QString>("result");
    for (const WorkedExample& e : WorkedExamples())
        if (!e.fault)
            QTest::newRow(qPrintable(e.name)) << e.formula << e.inputs << e.shown;
    QTest::newRow("drawing all empty") << kDrawing << QStringList{"", "", "", ""} << "0";
    QTest::newRow("drawing earlier field beyond single")
        << kDrawing << QStringList{k39, "1", "1", "1"} << QStringLiteral("∞");
    QTest::newRow("drawing σb beyond single, read before k")
        << kDrawing << QStringList{"1", "1", k39, "1"} << QStringLiteral("∞");
    QTest::newRow("drawing earlier field beyond double")
        << kDrawing << QStringList{"1e400", "1", "1", "1"} << QStringLiteral("∞");
    QTest::newRow("drawing full-width input")
        << kDrawing << QStringList{QStringLiteral("１００"), "1.5", "400", "0.6"} << "36000";
    QTest::newRow("drawing units typed after numbers")
        << kDrawing << QStringList{"100mm", "1.5mm", "400Mpa", "0.6"} << "36000";
    QTest::newRow("drawing only L") << kDrawing << QStringList{"5", "", "", ""} << "0";
    QTest::newRow("bending tiny t counts as 0") << kBending << QStringList{"10", kTiny50, "0", ""} << "0";
    QTest::newRow("bending all empty") << kBending << QStringList{"", "", "", ""} << "0";
    QTest::newRow("blanking all empty") << kBlanking << QStringList{"", "", ""} << "0";
    QTest::newRow("blanking letters") << kBlanking << QStringList{"abc", "x", "?"} << "0";
}

void TestCalculator::compute() {
    QFETCH(Formula, formula);
    QFETCH(QStringList, texts);
    QFETCH(QString, result);
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(formula);
    Harness::Fill(form, formula, texts);
    Harness::Click(form, ui::kCalculateButton);
    QCOMPARE(Harness::Text(form, ui::kResultField), result);
    QVERIFY(h.reports.isEmpty());
    // The inputs are not validated, changed or reformatted.
    CompareInputs(form, formula, texts);
}

void TestCalculator::faults_data() {
    QTest::addColumn<Formula>("formula");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<unsigned>("flags");
    for (const WorkedExample& e : WorkedExamples())
        if (e.fault)
            QTest::newRow(qPrintable(e.name)) << e.formula << e.inputs << e.flags;
}

// A fault is reported, and nothing is lost: the program goes on, the result
// field keeps its text and the inputs are as typed.
void TestCalculator::faults() {
    QFETCH(Formula, formula);
    QFETCH(QStringList, texts);
    QFETCH(unsigned, flags);
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(formula);
    Harness::Type(form, ui::kResultField, QStringLiteral("previous"));
    Harness::Fill(form, formula, texts);
    Harness::Click(form, ui::kCalculateButton);
    QCOMPARE(h.reports.size(), 1);
    // Each flag seen is named: 无效 (invalid), 除数为零 (division by zero), 溢出 (overflow).
    const std::pair<unsigned, QString> names[] = {
        {calc::FpInvalid, "无效"}, {calc::FpDivByZero, "除数为零"}, {calc::FpOverflow, "溢出"}};
    for (const auto& [flag, name] : names)
        QVERIFY2(h.reports[0].contains(name) == bool(flags & flag), qPrintable(h.reports[0]));
    QVERIFY(!h.exitCode);
    QVERIFY(form.IsShown());
    QCOMPARE(Harness::Text(form, ui::kResultField), QStringLiteral("previous"));
    CompareInputs(form, formula, texts);
    // The window still computes afterwards.
    Harness::Fill(form, formula, QStringList(texts.size(), QString()));
    Harness::Click(form, ui::kCalculateButton);
    QCOMPARE(h.reports.size(), 1);
    QCOMPARE(Harness::Text(form, ui::kResultField), QStringLiteral("0"));
}

void TestCalculator::clear_data() { Harness::CalculatorRows(); }

void TestCalculator::clear() {
    QFETCH(Formula, formula);
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(formula);
    const auto inputs = Harness::Inputs(formula);
    for (ControlName input : inputs)
        Harness::Type(form, input, QStringLiteral("1"));
    Harness::Type(form, ui::kResultField, "5");
    Harness::Edit(form, ui::kResultField)->setFocus();
    Harness::Click(form, ui::kClearButton);
    for (ControlName input : inputs)
        QCOMPARE(Harness::Text(form, input), QString());
    QCOMPARE(Harness::Text(form, ui::kResultField), QString());
    QCOMPARE(Harness::FocusName(), Name(ui::kFirstField));
}

void TestCalculator::resultFieldIsEditableAndOverwritten() {
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(kDrawing);
    QLineEdit* result = Harness::Edit(form, ui::kResultField);
    QVERIFY(!result->isReadOnly());
    result->setFocus();
    QTest::keyClicks(result, "typed");
    QCOMPARE(result->text(), QStringLiteral("typed"));
    const std::vector<WorkedExample> examples = WorkedExamples();
    const auto example =
        std::ranges::find_if(examples, [](const WorkedExample& e) { return e.formula == kDrawing; });
    Harness::Fill(form, kDrawing, example->inputs);
    Harness::Click(form, ui::kCalculateButton);
    QCOMPARE(result->text(), example->shown);
}

void TestCalculator::arrows_data() {
    QTest::addColumn<Formula>("formula");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("focus");
    const int down = Qt::Key_Down, up = Qt::Key_Up, left = Qt::Key_Left, right = Qt::Key_Right;
    const int none = Qt::NoModifier;
    const Formula B = kBlanking, D = kDrawing, N = kBending;
    const QString lookup = Name(ui::kMaterialButton), result = Name(ui::kResultField);
    // Inputs by their place in the formula: blanking L t τb, drawing L t σb k, bending B t σb R.
    QTest::newRow("blanking L down") << B << Input(B, 0) << down << none << Input(B, 1);
    QTest::newRow("blanking L up stays") << B << Input(B, 0) << up << none << Input(B, 0);
    QTest::newRow("blanking t up") << B << Input(B, 1) << up << none << Input(B, 0);
    QTest::newRow("blanking t down") << B << Input(B, 1) << down << none << Input(B, 2);
    QTest::newRow("blanking τb down to the look-up") << B << Input(B, 2) << down << none << lookup;
    QTest::newRow("blanking τb left stays") << B << Input(B, 2) << left << none << Input(B, 2);
    QTest::newRow("blanking t right stays") << B << Input(B, 1) << right << none << Input(B, 1);
    QTest::newRow("blanking shift down moves")
        << B << Input(B, 0) << down << int(Qt::ShiftModifier) << Input(B, 1);
    QTest::newRow("blanking ctrl alt up moves")
        << B << Input(B, 1) << up << int(Qt::ControlModifier | Qt::AltModifier) << Input(B, 0);
    QTest::newRow("blanking result down does nothing") << B << result << down << none << result;
    QTest::newRow("drawing t down to k") << D << Input(D, 1) << down << none << Input(D, 3);
    QTest::newRow("drawing k down to σb") << D << Input(D, 3) << down << none << Input(D, 2);
    QTest::newRow("drawing σb up to k") << D << Input(D, 2) << up << none << Input(D, 3);
    QTest::newRow("drawing k up to t") << D << Input(D, 3) << up << none << Input(D, 1);
    QTest::newRow("drawing σb down to the look-up") << D << Input(D, 2) << down << none << lookup;
    QTest::newRow("drawing σb left to L") << D << Input(D, 2) << left << none << Input(D, 0);
    QTest::newRow("drawing k left stays") << D << Input(D, 3) << left << none << Input(D, 3);
    QTest::newRow("drawing σb right stays") << D << Input(D, 2) << right << none << Input(D, 2);
    QTest::newRow("bending σb down to R") << N << Input(N, 2) << down << none << Input(N, 3);
    QTest::newRow("bending R up to σb") << N << Input(N, 3) << up << none << Input(N, 2);
    QTest::newRow("bending R down to the look-up") << N << Input(N, 3) << down << none << lookup;
    QTest::newRow("bending R left to t") << N << Input(N, 3) << left << none << Input(N, 1);
    QTest::newRow("bending σb left stays") << N << Input(N, 2) << left << none << Input(N, 2);
    QTest::newRow("bending B up stays") << N << Input(N, 0) << up << none << Input(N, 0);
}

void TestCalculator::arrows() {
    QFETCH(Formula, formula);
    QFETCH(QString, field);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, focus);
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(formula);
    const QByteArray name = field.toLatin1();
    QLineEdit* start = Harness::Edit(form, {name.constData()});
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
    platform::Form& form = h.OpenCalculator(kBending);
    Harness::Fill(form, kBending, {"1", "2"});
    Harness::Click(form, ui::kWebLink);
    Harness::Click(form, ui::kWebLink);
    QCOMPARE(h.opened.size(), 2);
    QCOMPARE(h.opened[0], QUrl(QStringLiteral("http://tamberlo.example")));
    QVERIFY(form.IsShown());
    QCOMPARE(Harness::Text(form, Harness::Inputs(kBending)[1]), QStringLiteral("2"));
}

void TestCalculator::failedLaunchKeepsTheProgram() {
    Harness h(*environment_);
    h.browserWorks = false;
    platform::Form& form = h.OpenCalculator(kBlanking);
    Harness::Fill(form, kBlanking, {"7"});
    Harness::Click(form, ui::kWebLink);
    QCOMPARE(h.reports.size(), 1);
    QVERIFY(h.reports[0].contains(QStringLiteral("无法打开网页")));
    QVERIFY(!h.exitCode);
    QCOMPARE(Harness::Text(form, ui::kFirstField), QStringLiteral("7"));
}

QTEST_MAIN(TestCalculator)
#include "tst_calculator.moc"
