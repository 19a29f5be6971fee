// Start-up, window switches, the material window, the end of the program and
// the checked-call path.
#include "harness.h"

#include "platform/activation.h"
#include "platform/controls.h"

#include <QAbstractButton>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

class TestLifecycle : public GuiTest {
    Q_OBJECT
private slots:
    void startShowsOnlyTheMenu();
    void menuButtons_data();
    void menuButtons();
    void backAndAMenuButtonAtOnce();
    void backGivesAFreshWindow_data();
    void backGivesAFreshWindow();
    void ending_data();
    void ending();
    void materialWindow_data();
    void materialWindow();
    void windowManagerActivatesTheSheet_data();
    void windowManagerActivatesTheSheet();
    void materialWindowOutlivesSwitches();
    void closingTheMaterialWindowKeepsTypedValues();
    void materialWindowLastClosedEnds();
    void keys_data();
    void keys();
    void failedCalls_data();
    void failedCalls();
    void failingShowLeavesTheSourceShown();
    void reloadedButtonsFindTheirFacePictures_data();
    void reloadedButtonsFindTheirFacePictures();
};

namespace {
int VisibleWindows(const platform::Window& layout) {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        n += w->objectName() == QLatin1String(layout.name) && w->isVisible();
    return n;
}
} // namespace

void TestLifecycle::startShowsOnlyTheMenu() {
    Harness h(*environment_);
    QVERIFY(!h.project.IsCreated(ui::MenuLayout()));
    h.project.Start();
    for (const platform::Window* layout : ui::Arrangement())
        QVERIFY2(h.project.IsCreated(*layout) == (layout == &ui::MenuLayout()), layout->name);
    QVERIFY(h.project.Form4().IsShown());
    QVERIFY(QTest::qWaitForWindowActive(h.project.Form4().window()));
    QCOMPARE(Harness::FocusName(), QString::fromLatin1(ui::kMenuBendingButton.name));
    QCOMPARE(h.runtime.ShownCount(), 1);
}

void TestLifecycle::menuButtons_data() { Harness::CalculatorRows(); }

// Pressed from the keyboard with a digit typed at once: until the window
// manager gives the new calculator the focus, the window system still hands
// the keys to the menu, which stays on the screen till then.
void TestLifecycle::menuButtons() {
    QFETCH(calc::Formula, formula);
    Harness h(*environment_);
    h.project.Start();
    QVERIFY(QTest::qWaitForWindowActive(h.project.Form4().window()));
    QWidget* button = h.project.Form4().Control(Harness::MenuButton(formula));
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Space);
    QTest::keyClick(button, Qt::Key_1);
    QVERIFY(h.Form(formula).IsShown());
    QVERIFY(!h.project.Form4().IsShown());
    QCOMPARE(h.runtime.ShownCount(), 1);
    QTRY_COMPARE(VisibleWindows(ui::MenuLayout()), 0);
    for (const platform::Window* layout : ui::Arrangement()) // the chosen calculator's instance is made
        QVERIFY2(h.project.IsCreated(*layout) ==
                     (layout == &Harness::Calculator(formula).layout || layout == &ui::MenuLayout()),
                 layout->name);
    QVERIFY(!h.exitCode);
    QVERIFY(QTest::qWaitForWindowActive(h.Form(formula).window()));
    QCOMPARE(Harness::FocusName(), QString::fromLatin1(ui::kFirstField.name));
    QCOMPARE(Harness::Text(h.Form(formula), ui::kFirstField), QStringLiteral("1"));
}

// 返回 and a menu button pressed before the window manager has moved the
// focus: a key still reaching the calculator left goes to the one opened.
void TestLifecycle::backAndAMenuButtonAtOnce() {
    Harness h(*environment_);
    QWidget* left = h.OpenCalculator(calc::Formula::Blanking).window();
    QWidget* back = h.Form(calc::Formula::Blanking).Control(ui::kBackButton);
    back->setFocus();
    QTest::keyClick(back, Qt::Key_Space);
    qobject_cast<QAbstractButton*>(h.project.Form4().Control(Harness::MenuButton(calc::Formula::Drawing)))
        ->click();
    QVERIFY(h.runtime.Retiring(left));
    QTest::keyClick(left, Qt::Key_1);
    QCOMPARE(Harness::Text(h.Form(calc::Formula::Drawing), ui::kFirstField), QStringLiteral("1"));
}

void TestLifecycle::backGivesAFreshWindow_data() { Harness::CalculatorRows(); }

void TestLifecycle::backGivesAFreshWindow() {
    QFETCH(calc::Formula, formula);
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(formula);
    Harness::Type(form, ui::kFirstField, "100");
    Harness::Type(form, ui::kResultField, "36000");
    Harness::Click(form, ui::kBackButton);
    QVERIFY(!form.IsShown());
    QVERIFY(h.project.Form4().IsShown());
    QVERIFY(QTest::qWaitForWindowActive(h.project.Form4().window()));
    QCOMPARE(Harness::FocusName(), QString::fromLatin1(ui::kMenuBendingButton.name));
    QTRY_COMPARE(VisibleWindows(form.layout()), 0);

    h.OpenCalculator(formula);
    QCOMPARE(Harness::Text(form, ui::kFirstField), QString());
    QCOMPARE(Harness::Text(form, ui::kResultField), QString());
    QCOMPARE(Harness::FocusName(), QString::fromLatin1(ui::kFirstField.name));
    QVERIFY(!h.exitCode);
}

void TestLifecycle::ending_data() {
    QTest::addColumn<const ui::Calculator*>("calculator"); // null: the menu
    QTest::addColumn<bool>("material");                    // the material window open beside it
    QTest::addColumn<bool>("titleBar");                    // title-bar close instead of the close button
    QTest::addColumn<bool>("ends");
    const ui::Calculator* menu = nullptr;
    QTest::newRow("menu close button") << menu << false << false << true;
    QTest::newRow("menu close button with the material window") << menu << true << false << true;
    QTest::newRow("menu title bar right after start") << menu << false << true << true;
    QTest::newRow("calculator close button") << &ui::BlankingCalculator() << false << false << true;
    QTest::newRow("calculator close button with the material window")
        << &ui::DrawingCalculator() << true << false << true;
    QTest::newRow("calculator title bar alone") << &ui::BendingCalculator() << false << true << true;
    QTest::newRow("calculator title bar with the material window")
        << &ui::BendingCalculator() << true << true << false;
}

void TestLifecycle::ending() {
    QFETCH(const ui::Calculator*, calculator);
    QFETCH(bool, material);
    QFETCH(bool, titleBar);
    QFETCH(bool, ends);
    Harness h(*environment_);
    platform::Form& form =
        calculator ? h.OpenCalculator(calculator->formula) : (h.project.Start(), h.project.Form4());
    if (material) {
        // Opened from a calculator; the menu gets it by switching back.
        if (!calculator) {
            Harness::Click(h.OpenCalculator(calc::Formula::Drawing), ui::kMaterialButton);
            Harness::Click(h.project.Form2(), ui::kBackButton);
        } else {
            Harness::Click(form, ui::kMaterialButton);
        }
        QVERIFY(h.project.Form5().IsShown());
    }
    if (titleBar)
        form.window()->close();
    else
        Harness::Click(form, calculator ? ui::kCloseButton : ui::kMenuCloseButton);
    Harness::Flush();
    QCOMPARE(bool(h.exitCode), ends);
    QVERIFY(!form.IsShown());
    QCOMPARE(VisibleWindows(form.layout()), 0);
    if (ends) {
        QCOMPARE(*h.exitCode, 0);
        QCOMPARE(h.runtime.ShownCount(), 0);
    } else {
        QVERIFY(h.project.Form5().IsShown());
        QVERIFY(!h.project.Form4().IsShown()); // the menu does not come back
        Harness::Click(h.project.Form5(), ui::kSheetCloseButton);
        QCOMPARE(h.exitCode, std::optional<int>(0));
    }
    QVERIFY(h.reports.isEmpty());
}

void TestLifecycle::materialWindow_data() { Harness::CalculatorRows(); }

// Two clicks leave one material window, and the caret goes back to the look-up field.
void TestLifecycle::materialWindow() {
    QFETCH(calc::Formula, formula);
    const QString lookup = QString::fromLatin1(Harness::Calculator(formula).lookupField);
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(formula);
    for (int click = 0; click < 2; ++click) {
        Harness::Click(form, ui::kMaterialButton);
        QVERIFY(h.project.Form5().IsShown());
        QCOMPARE(VisibleWindows(ui::MaterialLayout()), 1);
        QVERIFY(QTest::qWaitForWindowActive(form.window()));
        QCOMPARE(Harness::FocusName(), lookup);
        QCOMPARE(QApplication::activeWindow(), form.window());
    }
    QCOMPARE(h.runtime.ShownCount(), 2);
}

void TestLifecycle::windowManagerActivatesTheSheet_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("calculatorActive");
    QTest::addColumn<QString>("lookup"); // the look-up field at the end
    QTest::newRow("the raised sheet activated") << "" << true << "";
    QTest::newRow("activated, the calculator, activated again") << "flicker" << true << "";
    QTest::newRow("activated again after the first answer") << "answered" << false << "";
    QTest::newRow("after a key typed in the calculator") << "key" << true << "7";
    QTest::newRow("a key typed as the sheet is activated") << "typed" << true << "7";
    QTest::newRow("after the pointer moved") << "pointer" << false << "";
    QTest::newRow("after a click in the calculator") << "click" << false << "";
}

// After the second "查询" has returned, the window manager activates the raised
// sheet, as xfwm4 does: the calculator is asked for once more and gets the keys
// typed meanwhile, unless the user may have chosen the sheet.
void TestLifecycle::windowManagerActivatesTheSheet() {
    QFETCH(QString, before);
    QFETCH(bool, calculatorActive);
    QFETCH(QString, lookup);
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(calc::Formula::Blanking);
    for (int press = 0; press < 2; ++press) {
        Harness::Click(form, ui::kMaterialButton);
        QTRY_COMPARE(QApplication::activeWindow(), form.window());
    }
    QWidget* sheet = h.project.Form5().window();
    QObject typist;
    bool typed = false;
    if (before == "flicker") {
        sheet->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), sheet);
        form.window()->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), form.window());
    } else if (before == "answered") {
        sheet->activateWindow();
        QTRY_VERIFY(!h.runtime.HoldingActivation());
        QCOMPARE(QApplication::activeWindow(), form.window());
    } else if (before == "key") {
        QTest::keyClick(form.window()->windowHandle(), Qt::Key_7);
    } else if (before == "typed") {
        // The key reaches the window that the window manager has just activated.
        connect(qApp, &QGuiApplication::focusWindowChanged, &typist, [&](QWindow* w) {
            if (w == sheet->windowHandle() && !std::exchange(typed, true)) {
                QTest::keyClick(w, Qt::Key_7);
            }
        });
    } else if (before == "pointer") {
        h.pointer += QPoint(0, 10);
    } else if (before == "click") {
        QTest::mouseClick(form.Control(ui::kFirstField), Qt::LeftButton);
    }
    sheet->activateWindow();
    // Once the hold has let go, nothing changes the active window any more.
    QTRY_VERIFY_WITH_TIMEOUT(!h.runtime.HoldingActivation(), 4 * platform::Activation::kHoldMilliseconds);
    QTRY_COMPARE(QApplication::activeWindow(), calculatorActive ? form.window() : sheet);
    QCOMPARE(Harness::Text(form, {Harness::Calculator(calc::Formula::Blanking).lookupField}), lookup);
}

void TestLifecycle::materialWindowOutlivesSwitches() {
    Harness h(*environment_);
    platform::Form& blanking = h.OpenCalculator(calc::Formula::Blanking);
    Harness::Click(blanking, ui::kMaterialButton);
    QWidget* sheet = h.project.Form5().window();
    Harness::Click(blanking, ui::kBackButton);
    QVERIFY(h.project.Form4().IsShown());
    Harness::Click(h.project.Form4(), ui::kMenuBendingButton);
    QVERIFY(h.project.Form3().IsShown());
    QCOMPARE(h.project.Form5().window(), sheet); // the same window, never reloaded
    Harness::Click(h.project.Form3(), ui::kBackButton);
    Harness::Click(h.project.Form5(), ui::kSheetCloseButton);
    QVERIFY(!h.project.Form5().IsShown());
    QVERIFY(h.project.Form4().IsShown());
    QVERIFY(!h.exitCode);
}

void TestLifecycle::closingTheMaterialWindowKeepsTypedValues() {
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(calc::Formula::Drawing);
    Harness::Type(form, ui::kFirstField, "314.16");
    Harness::Click(form, ui::kMaterialButton);
    Harness::Click(h.project.Form5(), ui::kSheetCloseButton);
    QVERIFY(!h.project.Form5().IsShown());
    QVERIFY(form.IsShown());
    QCOMPARE(Harness::Text(form, ui::kFirstField), QStringLiteral("314.16"));
    // Opened again, it is the same sheet, built afresh.
    Harness::Click(form, ui::kMaterialButton);
    QVERIFY(h.project.Form5().IsShown());
    QVERIFY(!h.exitCode);
}

void TestLifecycle::materialWindowLastClosedEnds() {
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(calc::Formula::Blanking);
    Harness::Click(form, ui::kMaterialButton);
    form.window()->close();
    QVERIFY(!h.exitCode);
    h.project.Form5().window()->close();
    QCOMPARE(h.exitCode, std::optional<int>(0));
}

void TestLifecycle::keys_data() {
    QTest::addColumn<const platform::Window*>("window"); // the sheet beside the blanking window
    QTest::addColumn<platform::ControlName>("control");
    const platform::Window *menu = &ui::MenuLayout(), *sheet = &ui::MaterialLayout(),
                           *blanking = &ui::BlankingCalculator().layout;
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("menu Enter on the focused bending button")
        << menu << ui::kMenuBendingButton << int(Qt::Key_Return) << "bending shown";
    QTest::newRow("menu Space on the focused bending button")
        << menu << ui::kMenuBendingButton << int(Qt::Key_Space) << "bending shown";
    QTest::newRow("menu Escape does nothing")
        << menu << ui::kMenuBendingButton << int(Qt::Key_Escape) << "menu stays";
    QTest::newRow("sheet Enter closes it")
        << sheet << ui::kSheetCloseButton << int(Qt::Key_Enter) << "sheet closed";
    QTest::newRow("sheet Space closes it")
        << sheet << ui::kSheetCloseButton << int(Qt::Key_Space) << "sheet closed";
    QTest::newRow("sheet Escape does nothing")
        << sheet << ui::kSheetCloseButton << int(Qt::Key_Escape) << "sheet stays";
    QTest::newRow("calculator Enter in a field is no default button")
        << blanking << ui::kFirstField << int(Qt::Key_Return) << "no result";
    QTest::newRow("calculator Escape is no cancel button")
        << blanking << ui::kFirstField << int(Qt::Key_Escape) << "no result";
    QTest::newRow("calculator Enter on the focused 计算")
        << blanking << ui::kCalculateButton << int(Qt::Key_Return) << "result";
}

void TestLifecycle::keys() {
    QFETCH(const platform::Window*, window);
    QFETCH(platform::ControlName, control);
    QFETCH(int, key);
    QFETCH(QString, outcome);
    Harness h(*environment_);
    platform::Form* form = nullptr;
    if (window == &ui::MenuLayout()) {
        h.project.Start();
        form = &h.project.Form4();
    } else {
        platform::Form& blanking = h.OpenCalculator(calc::Formula::Blanking);
        Harness::Type(blanking, ui::kFirstField, "100");
        if (window == &ui::MaterialLayout()) {
            Harness::Click(blanking, ui::kMaterialButton);
            form = &h.project.Form5();
        } else {
            form = &blanking;
        }
    }
    QWidget* w = form->Control(control);
    if (window == &ui::MaterialLayout()) // chosen as a person does right after 查询: with the mouse
        QTest::mouseClick(form->window(), Qt::LeftButton, {}, QPoint(1, 1));
    form->window()->activateWindow();
    w->setFocus();
    QTest::keyClick(w, Qt::Key(key));
    Harness::Flush();
    if (outcome == "bending shown")
        QVERIFY(h.project.Form3().IsShown() && !h.project.Form4().IsShown());
    else if (outcome == "menu stays")
        QVERIFY(h.project.Form4().IsShown() && !h.project.IsCreated(ui::BendingCalculator().layout));
    else if (outcome == "sheet closed")
        QVERIFY(!h.project.Form5().IsShown() && h.project.Form1().IsShown());
    else if (outcome == "sheet stays")
        QVERIFY(h.project.Form5().IsShown());
    else
        QCOMPARE(Harness::Text(h.project.Form1(), ui::kResultField),
                 outcome == "result" ? QStringLiteral("0") : QString());
    QVERIFY(!h.exitCode);
}

void TestLifecycle::failedCalls_data() {
    QTest::addColumn<int>("member");
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("action"); // what the user does in the blanking window
    const platform::Window& blanking = ui::BlankingCalculator().layout;
    const platform::ControlName lookup{ui::BlankingCalculator().lookupField};
    QTest::newRow("fetch Text") << 160
                                << Harness::Object(blanking, Harness::Inputs(calc::Formula::Blanking)[1])
                                << "calculate";
    QTest::newRow("set Text of the result")
        << 164 << Harness::Object(blanking, ui::kResultField) << "calculate";
    QTest::newRow("set Text while clearing") << 164 << Harness::Object(blanking, ui::kFirstField) << "clear";
    QTest::newRow("SetFocus on a text box") << 516 << Harness::Object(blanking, lookup) << "material";
    QTest::newRow("SetFocus on a button") << 420 << Harness::Object(blanking, ui::kMaterialButton) << "down";
    QTest::newRow("Show") << 688 << Harness::Object(ui::MaterialLayout()) << "material";
    QTest::newRow("Unload") << 16 << Harness::Object(blanking) << "back";
}

// A failed call is reported in Chinese with its member number, then the program ends.
void TestLifecycle::failedCalls() {
    QFETCH(int, member);
    QFETCH(QString, object);
    QFETCH(QString, action);
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(calc::Formula::Blanking);
    Harness::Type(form, ui::kFirstField, "100");
    h.failing = std::make_pair(platform::Member(member), object);
    if (action == "calculate")
        Harness::Click(form, ui::kCalculateButton);
    else if (action == "clear")
        Harness::Click(form, ui::kClearButton);
    else if (action == "material")
        Harness::Click(form, ui::kMaterialButton);
    else if (action == "back")
        Harness::Click(form, ui::kBackButton);
    else
        QTest::keyClick(Harness::Edit(form, {Harness::Calculator(calc::Formula::Blanking).lookupField}),
                        Qt::Key_Down);
    QCOMPARE(h.reports.size(), 1);
    QVERIFY2(h.reports[0].contains(QStringLiteral("成员：%1").arg(member)), qPrintable(h.reports[0]));
    QVERIFY(h.reports[0].contains(object));
    QVERIFY(h.reports[0].contains(QStringLiteral("程序将结束")));
    QCOMPARE(h.exitCode, std::optional<int>(1));
    QCOMPARE(h.runtime.ShownCount(), 0);
    // Nothing runs after the end.
    h.failing.reset();
    h.runtime.RunProcedure([&] { h.reports << "ran"; });
    QCOMPARE(h.reports.size(), 1);
}

void TestLifecycle::failingShowLeavesTheSourceShown() {
    Harness h(*environment_);
    h.project.Start();
    h.failing = std::make_pair(platform::Member::Show, Harness::Object(ui::BlankingCalculator().layout));
    bool menuShownAtReport = false;
    h.onReport = [&] { menuShownAtReport = h.project.Form4().IsShown(); };
    Harness::Click(h.project.Form4(), ui::kMenuBlankingButton);
    QVERIFY(menuShownAtReport);
    QVERIFY(!h.project.Form1().IsShown());
    QVERIFY(h.reports.value(0).contains(QStringLiteral("688")));
    QCOMPARE(h.exitCode, std::optional<int>(1));
}

namespace {
// Records the palette identity each button face is drawn with: the style keeps
// its pictures of button faces under it.
class FaceRecorder : public QProxyStyle {
public:
    FaceRecorder() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
    QMap<QString, qint64> keys;
    QStringList otherColours;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element == PE_PanelButtonCommand && widget) {
            auto* self = const_cast<FaceRecorder*>(this);
            self->keys[widget->objectName()] = qint64(option->palette.cacheKey());
            if (option->palette != widget->palette())
                self->otherColours << widget->objectName();
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
};
} // namespace

void TestLifecycle::reloadedButtonsFindTheirFacePictures_data() { Harness::WindowRows(); }

// Each load builds new widgets; their faces are drawn as the first load's were,
// so that the style finds the pictures it made then instead of adding more.
void TestLifecycle::reloadedButtonsFindTheirFacePictures() {
    QFETCH(const platform::Window*, window);
    auto* recorder = new FaceRecorder;
    QApplication::setStyle(recorder);
    Harness h(*environment_);
    h.runtime.Show(
        h.Form(window == &ui::MenuLayout() ? ui::MaterialLayout() : ui::MenuLayout())); // stays shown
    platform::Form& form = h.Form(*window);
    h.runtime.Show(form);
    form.window()->grab();
    const QMap<QString, qint64> first = std::exchange(recorder->keys, {});
    h.runtime.Unload(form);
    Harness::Flush();
    h.runtime.Show(form);
    form.window()->grab();
    QVERIFY(!first.isEmpty());
    QCOMPARE(recorder->keys, first);
    QCOMPARE(recorder->otherColours, QStringList());
    QApplication::setStyle(QStringLiteral("Fusion"));
}

QTEST_MAIN(TestLifecycle)
#include "tst_lifecycle.moc"
