// The calculator windows: computing, faults, clearing, arrow keys and the
// link, driven through the real windows.
#include "harness.h"
#include "worked_examples.h"

class TestCalculator : public GuiTest {
    Q_OBJECT
private slots:
    void compute_data();
    void compute();
    void arrows_data();
    void arrows();
    void link_data();
    void link();
};

using calc::Formula;
using platform::ControlName;

namespace {
constexpr Formula kBlanking = Formula::Blanking, kDrawing = Formula::Drawing, kBending = Formula::Bending;

// The name of the calculator's input field `i`, in the formula's order.
QString Input(Formula formula, int i) {
    return QString::fromLatin1(Harness::Row(formula).calculator->inputs[i]);
}
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
    QTest::addColumn<unsigned>("flags"); // of the fault reported instead of a result
    for (const WorkedExample& e : WorkedExamples())
        QTest::newRow(qPrintable(e.name)) << e.formula << e.inputs << e.shown << e.flags;
    const auto row = [](const char* name, Formula formula, const QStringList& texts, const QString& result) {
        QTest::newRow(name) << formula << texts << result << 0u;
    };
    const QString k39 = QStringLiteral("1") + QString(39, QLatin1Char('0'));
    const QString tiny50 = QStringLiteral("0.") + QString(49, QLatin1Char('0')) + QLatin1Char('1');
    row("drawing all empty", kDrawing, {"", "", "", ""}, "0");
    row("drawing σb beyond single, read before k", kDrawing, {"1", "1", k39, "1"}, "∞");
    row("drawing earlier field beyond double", kDrawing, {"1e400", "1", "1", "1"}, "∞");
    row("drawing full-width input", kDrawing, {"１００", "1.5", "400", "0.6"}, "36000");
    row("drawing units typed after numbers", kDrawing, {"100mm", "1.5mm", "400Mpa", "0.6"}, "36000");
    row("drawing only L", kDrawing, {"5", "", "", ""}, "0");
    row("bending tiny t counts as 0", kBending, {"10", tiny50, "0", ""}, "0");
    row("bending all empty", kBending, {"", "", "", ""}, "0");
    row("blanking all empty", kBlanking, {"", "", ""}, "0");
    row("blanking letters", kBlanking, {"abc", "x", "?"}, "0");
}

// A result overwrites what was typed into the result field; a fault is
// reported instead and changes nothing. Either way the program goes on and the
// inputs stay as typed: not validated, changed or reformatted. Then 清除
// empties every field and puts the caret in the first.
void TestCalculator::compute() {
    QFETCH(Formula, formula);
    QFETCH(QStringList, texts);
    QFETCH(QString, result);
    QFETCH(unsigned, flags);
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(formula);
    QLineEdit* shown = Harness::Edit(form, ui::kResultField);
    shown->setFocus();
    QTest::keyClicks(shown, "typed");
    QCOMPARE(shown->text(), QStringLiteral("typed"));
    Harness::Fill(form, formula, texts);
    Harness::Click(form, ui::kCalculateButton);
    QCOMPARE(shown->text(), flags ? QStringLiteral("typed") : result);
    CompareInputs(form, formula, texts);
    QVERIFY(!h.exitCode);
    QVERIFY(form.IsShown());
    QCOMPARE(h.reports.size(), flags ? 1 : 0);
    if (flags) {
        // Each flag seen is named: 无效 (invalid), 除数为零 (division by zero), 溢出 (overflow).
        const std::pair<unsigned, QString> names[] = {
            {calc::FpInvalid, "无效"}, {calc::FpDivByZero, "除数为零"}, {calc::FpOverflow, "溢出"}};
        for (const auto& [flag, name] : names)
            QVERIFY2(h.reports[0].contains(name) == bool(flags & flag), qPrintable(h.reports[0]));
        // The window still computes afterwards.
        Harness::Fill(form, formula, QStringList(texts.size(), QString()));
        Harness::Click(form, ui::kCalculateButton);
        QCOMPARE(h.reports.size(), 1);
        QCOMPARE(shown->text(), QStringLiteral("0"));
    }
    Harness::Click(form, ui::kClearButton);
    for (ControlName input : Harness::Inputs(formula))
        QCOMPARE(Harness::Text(form, input), QString());
    QCOMPARE(shown->text(), QString());
    QCOMPARE(Harness::FocusName(), Name(ui::kFirstField));
}

void TestCalculator::arrows_data() {
    QTest::addColumn<Formula>("formula");
    QTest::addColumn<QStringList>("fields"); // the field keys are pressed in; where Down, Up and Left go
    // Inputs by their captions; "look-up" is the look-up button, "result" the result field.
    const QMap<QByteArray, QStringList> captions{{"blanking", {"L", "t", "τb"}},
                                                 {"drawing", {"L", "t", "σb", "k"}},
                                                 {"bending", {"B", "t", "σb", "R"}}};
    for (const char* moves : {"blanking L: t L L", "blanking t: τb L t", "blanking τb: look-up t τb",
                              "blanking result: result result result", "drawing L: t L L", "drawing t: k L t",
                              "drawing k: σb t k", "drawing σb: look-up k L", "bending B: t B B",
                              "bending t: σb B t", "bending σb: R t σb", "bending R: look-up σb t"}) {
        const QStringList words = QString::fromUtf8(moves).remove(u':').split(u' ');
        const QByteArray role = words[0].toLatin1();
        const Formula formula = Harness::Row(role).calculator->formula;
        QStringList fields;
        for (const QString& word : words.mid(1))
            fields << (word == "look-up"  ? Name(ui::kMaterialButton)
                       : word == "result" ? Name(ui::kResultField)
                                          : Input(formula, int(captions[role].indexOf(word))));
        QTest::newRow(moves) << formula << fields;
    }
}

// With Shift, Ctrl and Alt held or not; Right never moves, and no key edits.
void TestCalculator::arrows() {
    QFETCH(Formula, formula);
    QFETCH(QStringList, fields);
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(formula);
    QLineEdit* start = Harness::Edit(form, {qPrintable(fields[0])});
    start->setText(QStringLiteral("12"));
    const Qt::Key keys[] = {Qt::Key_Down, Qt::Key_Up, Qt::Key_Left, Qt::Key_Right};
    for (const Qt::KeyboardModifiers held :
         {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(Qt::ShiftModifier),
          Qt::ControlModifier | Qt::AltModifier})
        for (int i = 0; i < 4; ++i) {
            start->setFocus();
            QCOMPARE(Harness::FocusName(), fields[0]);
            QTest::keyClick(start, keys[i], held);
            const QString key = QKeySequence(QKeyCombination(held, keys[i])).toString();
            QVERIFY2(Harness::FocusName() == fields.value(i + 1, fields[0]), qPrintable(key));
            QCOMPARE(start->text(), QStringLiteral("12"));
        }
    QVERIFY(h.reports.isEmpty());
}

void TestCalculator::link_data() {
    QTest::addColumn<Formula>("formula");
    QTest::addColumn<bool>("browserWorks");
    QTest::newRow("opens the maker's site") << kBending << true;
    QTest::newRow("failed launch keeps the program") << kBlanking << false;
}

// Each click asks for the maker's site, and a launch that fails is reported;
// the window and its inputs stay.
void TestCalculator::link() {
    QFETCH(Formula, formula);
    QFETCH(bool, browserWorks);
    Harness h(*environment_);
    h.browserWorks = browserWorks;
    platform::Form& form = h.OpenCalculator(formula);
    Harness::Fill(form, formula, {"7", "2"});
    Harness::Click(form, ui::kWebLink);
    Harness::Click(form, ui::kWebLink);
    QCOMPARE(h.opened, QList<QUrl>(2, QUrl(QStringLiteral("http://tamberlo.example"))));
    QCOMPARE(h.reports.size(), browserWorks ? 0 : 2);
    for (const QString& report : h.reports)
        QVERIFY2(report.contains(QStringLiteral("无法打开网页")), qPrintable(report));
    QVERIFY(!h.exitCode);
    QVERIFY(form.IsShown());
    CompareInputs(form, formula, {"7", "2"});
}

QTEST_MAIN(TestCalculator)
#include "tst_calculator.moc"
