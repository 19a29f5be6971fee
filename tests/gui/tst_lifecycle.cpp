// Start-up, window switches, the material window, the end of the program, the
// checked-call path and what a launch may open.
#include "harness.h"

#include "platform/activation.h"
#include "platform/controls.h"

#include <QAbstractButton>
#include <QKeySequence>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

class TestLifecycle : public GuiTest {
    Q_OBJECT
private slots:
    void walks_data();
    void walks();
    void backAndAMenuButtonAtOnce();
    void windowManagerActivatesTheSheet_data();
    void windowManagerActivatesTheSheet();
    void failedCalls_data();
    void failedCalls();
    void reloadedButtonsFindTheirFacePictures_data();
    void reloadedButtonsFindTheirFacePictures();
    void callsOnAnUnloadedWindowFail_data();
    void callsOnAnUnloadedWindowFail();
    void launch_data();
    void launch();
    void endTakesTheUnloadedWindow_data();
    void endTakesTheUnloadedWindow();
};

namespace {
// The windows of a role (menu, blanking, drawing, bending or sheet) on the screen.
int VisibleWindows(const QByteArray& role) {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        n += w->objectName() == QLatin1String(Harness::Row(role).layout->name) && w->isVisible();
    return n;
}

// A control of a window by its caption, "lookup" (a calculator's look-up
// field), a calculator's role (its menu button), or its name.
platform::ControlName Control(const QByteArray& role, const QByteArray& word) {
    if (word == "lookup")
        return {Harness::Row(role).calculator->lookupField};
    const std::pair<const char*, platform::ControlName> captions[] = {
        {"查询", ui::kMaterialButton},
        {"返回", ui::kBackButton},
        {"计算", ui::kCalculateButton},
        {"清除", ui::kClearButton},
        {"冲裁", ui::kMenuBlankingButton},
        {"拉伸", ui::kMenuDrawingButton},
        {"折弯", ui::kMenuBendingButton},
        {"关闭", role == "menu"    ? ui::kMenuCloseButton
                 : role == "sheet" ? ui::kSheetCloseButton
                                   : ui::kCloseButton}};
    for (const auto& [caption, name] : captions)
        if (word == caption)
            return name;
    for (const Harness::WindowCase& w : Harness::Windows())
        if (role == "menu" && word == w.role)
            return w.menuButton;
    return {word.constData()}; // the word outlives the step
}
} // namespace

void TestLifecycle::walks_data() {
    QTest::addColumn<QString>("steps");
    // Steps, separated by "; ": start; open R (from the menu); click R C; close
    // R (its title bar); type R C TEXT; focus R C (R activated, C focused); key
    // R C KEY (a key pressed in C); mouse R (a click in R's corner). Checks: loaded R... (exactly these
    // windows are loaded); shown R; unloaded R; gone R (no window of it on
    // the screen, at once) or leaves R (once it has settled); once R (one window
    // of it on the screen); active R C (R active, the focus on C); text R C
    // [TEXT]; count N (windows shown); keep R, then same R (the very window);
    // runs; ends N. A walk reports nothing.
    QTest::newRow("start shows only the menu")
        << "loaded; start; loaded menu; shown menu; active menu 折弯; count 1";
    // Steps for each calculator R.
    const auto eachCalculator = [](const char* name, const char* steps) {
        for (const char* r : {"blanking", "drawing", "bending"})
            QTest::addRow(name, r) << QString::fromUtf8(steps).replace(u'R', QLatin1String(r));
    };
    eachCalculator("返回 gives a fresh %s window",
                   "open R; type R Text1 100; type R Text5 36000; click R 返回; unloaded R; shown menu; "
                   "active menu 折弯; leaves R; open R; text R Text1; text R Text5; active R Text1; runs");
    QTest::newRow("ending: menu close button")
        << "start; click menu 关闭; ends 0; unloaded menu; gone menu; count 0";
    QTest::newRow("ending: menu close button with the material window")
        << "start; open drawing; click drawing 查询; click drawing 返回; shown sheet; click menu 关闭; "
           "ends 0; unloaded menu; gone menu; count 0";
    QTest::newRow("ending: menu title bar right after start")
        << "start; close menu; ends 0; unloaded menu; gone menu; count 0";
    QTest::newRow("ending: calculator close button")
        << "open blanking; click blanking 关闭; ends 0; unloaded blanking; gone blanking; count 0";
    QTest::newRow("ending: calculator close button with the material window")
        << "open drawing; click drawing 查询; shown sheet; click drawing 关闭; ends 0; unloaded drawing; "
           "gone drawing; count 0";
    QTest::newRow("ending: calculator title bar alone")
        << "open bending; close bending; ends 0; unloaded bending; gone bending; count 0";
    // The menu does not come back.
    QTest::newRow("ending: calculator title bar with the material window")
        << "open bending; click bending 查询; shown sheet; close bending; runs; unloaded bending; "
           "gone bending; shown sheet; unloaded menu; click sheet 关闭; ends 0";
    QTest::newRow("ending: the material window closed last by its title bar")
        << "open blanking; click blanking 查询; close blanking; runs; close sheet; ends 0";
    // Two clicks leave one material window, and the caret goes back to the look-up field.
    eachCalculator("查询 twice from %s", "open R; click R 查询; shown sheet; once sheet; active R lookup; "
                                         "click R 查询; shown sheet; once sheet; active R lookup; count 2");
    QTest::newRow("the material window outlives switches")
        << "open blanking; click blanking 查询; keep sheet; click blanking 返回; shown menu; "
           "click menu 折弯; shown bending; same sheet; click bending 返回; click sheet 关闭; "
           "unloaded sheet; shown menu; runs";
    // Pressed from the keyboard with a digit typed at once: until the window
    // manager gives the new calculator the focus, the window system still hands
    // the keys to the menu, which stays on the screen till then. The menu button
    // of a calculator R is "R".
    eachCalculator(
        "menu button for %s from the keyboard, a digit typed at once",
        "start; active menu 折弯; focus menu R; key menu R Space; key menu R 1; shown R; unloaded menu; "
        "count 1; leaves menu; loaded R; runs; active R Text1; text R Text1 1");
    // Keys on a focused control; the sheet chosen as a person does right after 查询: with the mouse.
    const char* menu = "start; focus menu 折弯; key menu 折弯 ";
    const char* sheet =
        "open blanking; type blanking Text1 100; click blanking 查询; mouse sheet; focus sheet 关闭; "
        "key sheet 关闭 ";
    const char* blanking = "open blanking; type blanking Text1 100; focus blanking ";
    const std::pair<const char*, QString> keys[] = {
        {"menu Enter on the focused bending button", menu + QString("Return; shown bending; unloaded menu")},
        {"menu Space on the focused bending button", menu + QString("Space; shown bending; unloaded menu")},
        {"menu Escape does nothing", menu + QString("Escape; shown menu; loaded menu")},
        {"sheet Enter closes it", sheet + QString("Enter; unloaded sheet; shown blanking")},
        {"sheet Space closes it", sheet + QString("Space; unloaded sheet; shown blanking")},
        {"sheet Escape does nothing", sheet + QString("Escape; shown sheet")},
        {"calculator Enter in a field is no default button",
         blanking + QString("Text1; key blanking Text1 Return; text blanking Text5")},
        {"calculator Escape is no cancel button",
         blanking + QString("Text1; key blanking Text1 Escape; text blanking Text5")},
        {"calculator Enter on the focused 计算",
         blanking + QString("计算; key blanking 计算 Return; text blanking Text5 0")}};
    for (const auto& [name, steps] : keys)
        QTest::newRow(name) << steps + QStringLiteral("; runs");
    // Opened again, it is the same sheet, built afresh.
    QTest::newRow("closing the material window keeps typed values")
        << "open drawing; type drawing Text1 314.16; click drawing 查询; click sheet 关闭; unloaded sheet; "
           "shown drawing; text drawing Text1 314.16; click drawing 查询; shown sheet; runs";
}

void TestLifecycle::walks() {
    QFETCH(QString, steps);
    Harness h(*environment_);
    QPointer<QWidget> kept;
    for (const QString& step : steps.split(QStringLiteral("; "))) {
        const QList<QByteArray> w = step.toUtf8().split(' ');
        const QByteArray& verb = w[0];
        const auto form = [&](qsizetype i) -> platform::Form& { return h.Form(w[i]); };
        const auto control = [&](qsizetype i) { return Control(w[i - 1], w[i]); };
        if (verb == "start") {
            h.project.Start();
        } else if (verb == "open") {
            h.OpenCalculator(Harness::Row(w[1]).calculator->formula);
        } else if (verb == "click") {
            Harness::Click(form(1), control(2));
        } else if (verb == "close") {
            form(1).window()->close();
            Harness::Flush();
        } else if (verb == "focus") {
            form(1).window()->activateWindow();
            form(1).Control(control(2))->setFocus();
        } else if (verb == "key") {
            QTest::keyClick(form(1).Control(control(2)), Qt::Key(QKeySequence::fromString(w[3])[0].key()));
        } else if (verb == "mouse") {
            QTest::mouseClick(form(1).window(), Qt::LeftButton, {}, QPoint(1, 1));
        } else if (verb == "type") {
            Harness::Type(form(1), control(2), QString::fromUtf8(w.value(3)));
        } else if (verb == "loaded") {
            for (const Harness::WindowCase& c : Harness::Windows())
                QVERIFY2(h.Form(*c.layout).IsShown() == w.contains(c.role), qPrintable(step));
        } else if (verb == "shown" || verb == "unloaded") {
            QVERIFY2(form(1).IsShown() == (verb == "shown"), qPrintable(step));
        } else if (verb == "gone") {
            QCOMPARE(VisibleWindows(w[1]), 0);
        } else if (verb == "leaves") {
            QTRY_COMPARE(VisibleWindows(w[1]), 0);
        } else if (verb == "once") {
            QCOMPARE(VisibleWindows(w[1]), 1);
        } else if (verb == "active") {
            QVERIFY2(QTest::qWaitForWindowActive(form(1).window()), qPrintable(step));
            QCOMPARE(QApplication::activeWindow(), form(1).window());
            QCOMPARE(Harness::FocusName(), QString::fromLatin1(control(2).name));
        } else if (verb == "text") {
            QCOMPARE(Harness::Text(form(1), control(2)), QString::fromUtf8(w.value(3)));
        } else if (verb == "count") {
            QCOMPARE(h.ShownCount(), w[1].toInt());
        } else if (verb == "keep" || verb == "same") {
            if (verb == "same")
                QCOMPARE(form(1).window(), kept.data()); // never reloaded
            kept = form(1).window();
        } else if (verb == "runs" || verb == "ends") {
            QCOMPARE(h.exitCode, verb == "runs" ? std::nullopt : std::optional<int>(w[1].toInt()));
        } else {
            QFAIL(qPrintable(QStringLiteral("no step ") + step));
        }
    }
    QCOMPARE(h.reports, QStringList());
}

// 返回 and a menu button pressed before the window manager has moved the
// focus: a key still reaching the calculator left goes to the one opened.
void TestLifecycle::backAndAMenuButtonAtOnce() {
    Harness h(*environment_);
    QWidget* left = h.OpenCalculator(calc::Formula::Blanking).window();
    QWidget* back = h.Form(calc::Formula::Blanking).Control(ui::kBackButton);
    back->setFocus();
    QTest::keyClick(back, Qt::Key_Space);
    qobject_cast<QAbstractButton*>(h.project.Form4.Control(Harness::Row(calc::Formula::Drawing).menuButton))
        ->click();
    QVERIFY(left->isVisible()); // unloaded, and kept until the drawing window is active
    QTest::keyClick(left, Qt::Key_1);
    QCOMPARE(Harness::Text(h.Form(calc::Formula::Drawing), ui::kFirstField), QStringLiteral("1"));
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
    QWidget* sheet = h.project.Form5.window();
    QObject typist;
    bool typed = false;
    QList<QWindow*> activated; // in the order they became active
    connect(qApp, &QGuiApplication::focusWindowChanged, &typist, [&](QWindow* w) { activated << w; });
    // The sheet active, then the calculator asked for once more.
    const auto answered = [&] {
        const qsizetype at = activated.lastIndexOf(sheet->windowHandle());
        return at >= 0 && activated.indexOf(form.window()->windowHandle(), at) > at;
    };
    if (before == "flicker") {
        sheet->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), sheet);
        form.window()->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), form.window());
    } else if (before == "answered") {
        sheet->activateWindow();
        QTRY_VERIFY(answered());
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
    activated = {QGuiApplication::focusWindow()}; // Wine may have activated the sheet already
    sheet->activateWindow();
    if (calculatorActive) {
        QTRY_VERIFY(answered());
    } else {
        QTRY_COMPARE(QApplication::activeWindow(), sheet);
        // A negative: nothing asks for the calculator again, watched for longer than a hold lasts.
        QTest::qWait(2 * platform::Activation::kHoldMilliseconds);
        QVERIFY(!answered());
    }
    QCOMPARE(QApplication::activeWindow(), calculatorActive ? form.window() : sheet);
    QCOMPARE(Harness::Text(form, {Harness::Row(calc::Formula::Blanking).calculator->lookupField}), lookup);
}

void TestLifecycle::failedCalls_data() {
    QTest::addColumn<int>("member");
    QTest::addColumn<QString>("object");
    QTest::addColumn<QByteArray>("window");             // acted in: blanking, or menu
    QTest::addColumn<platform::ControlName>("clicked"); // null: Down in the look-up field
    const platform::Window& blanking = ui::BlankingCalculator().layout;
    const platform::ControlName lookup{ui::BlankingCalculator().lookupField};
    const platform::ControlName second = Harness::Inputs(calc::Formula::Blanking)[1];
    const auto row = [](const char* name, int member, const QString& object, platform::ControlName clicked,
                        const char* window = "blanking") {
        QTest::newRow(name) << member << object << QByteArray(window) << clicked;
    };
    row("fetch Text", 160, Harness::Object(blanking, second), ui::kCalculateButton);
    row("set Text of the result", 164, Harness::Object(blanking, ui::kResultField), ui::kCalculateButton);
    row("set Text while clearing", 164, Harness::Object(blanking, ui::kFirstField), ui::kClearButton);
    row("SetFocus on a text box", 516, Harness::Object(blanking, lookup), ui::kMaterialButton);
    row("SetFocus on a button", 420, Harness::Object(blanking, ui::kMaterialButton), {nullptr});
    row("Show", 688, Harness::Object(ui::MaterialLayout()), ui::kMaterialButton);
    row("Unload", 16, Harness::Object(blanking), ui::kBackButton);
    row("Show from the menu", 688, Harness::Object(blanking), ui::kMenuBlankingButton, "menu");
}

// A failed call is reported in Chinese with its member number while the
// window acted in is still shown, then the program ends.
void TestLifecycle::failedCalls() {
    QFETCH(int, member);
    QFETCH(QString, object);
    QFETCH(QByteArray, window);
    QFETCH(platform::ControlName, clicked);
    Harness h(*environment_);
    const bool menu = window == "menu";
    platform::Form& form =
        menu ? (h.project.Start(), h.project.Form4) : h.OpenCalculator(calc::Formula::Blanking);
    if (!menu)
        Harness::Type(form, ui::kFirstField, "100");
    bool shownAtReport = false;
    h.onReport = [&] { shownAtReport = form.IsShown(); };
    h.failing = std::make_pair(platform::Member(member), object);
    if (clicked.name)
        Harness::Click(form, clicked);
    else
        QTest::keyClick(Harness::Edit(form, {Harness::Row(calc::Formula::Blanking).calculator->lookupField}),
                        Qt::Key_Down);
    QCOMPARE(h.reports.size(), 1);
    QVERIFY(shownAtReport);
    QVERIFY2(h.reports[0].contains(QStringLiteral("成员：%1").arg(member)), qPrintable(h.reports[0]));
    QVERIFY(h.reports[0].contains(object));
    QVERIFY(h.reports[0].contains(QStringLiteral("程序将结束")));
    QCOMPARE(h.exitCode, std::optional<int>(1));
    QCOMPARE(h.ShownCount(), 0);
    // Nothing runs after the end.
    h.failing.reset();
    h.project.runtime.RunProcedure([&] { h.reports << "ran"; });
    QCOMPARE(h.reports.size(), 1);
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
    h.project.runtime.Show(
        h.Form(window == &ui::MenuLayout() ? ui::MaterialLayout() : ui::MenuLayout())); // stays shown
    platform::Form& form = h.Show(*window);
    form.window()->grab();
    const QMap<QString, qint64> first = std::exchange(recorder->keys, {});
    h.project.runtime.Unload(form);
    Harness::Flush();
    h.project.runtime.Show(form);
    form.window()->grab();
    QVERIFY(!first.isEmpty());
    QCOMPARE(recorder->keys, first);
    QCOMPARE(recorder->otherColours, QStringList());
    QApplication::setStyle(QStringLiteral("Fusion"));
}

void TestLifecycle::callsOnAnUnloadedWindowFail_data() {
    QTest::addColumn<int>("member"); // of the call made on one of the blanking window's controls
    QTest::newRow("fetch Text") << 160;
    QTest::newRow("set Text") << 164;
    QTest::newRow("SetFocus") << 516;
}

// No call quietly reloads a window or reports success on a control that is gone.
void TestLifecycle::callsOnAnUnloadedWindowFail() {
    QFETCH(int, member);
    Harness h(*environment_);
    platform::Runtime& runtime = h.project.runtime;
    try {
        if (member == 160)
            (void)runtime.FetchText(h.project.Form1, ui::kFirstField);
        else if (member == 164)
            runtime.SetText(h.project.Form1, ui::kResultField, "x");
        else
            runtime.SetFocus(h.project.Form1, Harness::Inputs(calc::Formula::Blanking)[1]);
        QFAIL("no failure");
    } catch (const platform::CheckedCallError& e) {
        QCOMPARE(int(e.member()), member);
        QCOMPARE(e.status(), platform::kFailed);
    }
    QVERIFY(!h.project.Form1.IsShown());
}

void TestLifecycle::launch_data() {
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("opened"); // empty: nothing may be opened
    const auto row = [](const char* name, const char* commandLine, const char* opened) {
        QTest::newRow(name) << QString(commandLine) << QString(opened);
    };
    row("the link's command line", "explorer.exe http://tamberlo.example", "http://tamberlo.example");
    row("shell name in capitals", "EXPLORER.EXE https://tamberlo.example/a", "https://tamberlo.example/a");
    row("a local file is not opened", "explorer.exe file:///etc/passwd", "");
    row("another program is not run", "cmd.exe /c del *", "");
    row("no address", "explorer.exe ", "");
}

void TestLifecycle::launch() {
    QFETCH(QString, commandLine);
    QFETCH(QString, opened);
    Harness h(*environment_);
    bool failed = false;
    try {
        h.project.runtime.Launch(commandLine.toStdU16String());
    } catch (const platform::LaunchError&) {
        failed = true;
    }
    QCOMPARE(failed, opened.isEmpty());
    QCOMPARE(h.opened, opened.isEmpty() ? QList<QUrl>() : QList<QUrl>{QUrl(opened)});
}

void TestLifecycle::endTakesTheUnloadedWindow_data() {
    QTest::addColumn<bool>("failedCall"); // the end by a failed call instead of End
    QTest::newRow("End") << false;
    QTest::newRow("a failed call") << true;
}

// A procedure unloads the active window, then the program ends: no window is left on the screen.
void TestLifecycle::endTakesTheUnloadedWindow() {
    QFETCH(bool, failedCall);
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(calc::Formula::Blanking);
    QVERIFY(QTest::qWaitForWindowActive(form.window()));
    QPointer<QWidget> window = form.window();
    bool kept = false; // on the screen, as a window unloaded while active is
    h.project.runtime.RunProcedure([&] {
        h.project.runtime.Unload(form);
        kept = window->isVisible();
        if (failedCall) // on the window just unloaded
            (void)h.project.runtime.FetchText(form, ui::kFirstField);
        h.project.runtime.End();
    });
    QVERIFY(kept);
    QCOMPARE(h.exitCode, std::optional<int>(failedCall ? 1 : 0));
    QVERIFY(!window->isVisible());
    Harness::Flush();
    QVERIFY(!window);
}

QTEST_MAIN(TestLifecycle)
#include "tst_lifecycle.moc"
