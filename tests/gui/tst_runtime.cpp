// The runtime's own contracts: checked calls, failures of calls on unloaded
// windows, and what a launch may open.
#include "harness.h"

class TestRuntime : public GuiTest {
    Q_OBJECT
private slots:
    void checkedCalls_data();
    void checkedCalls();
    void callsOnAnUnloadedWindowFail_data();
    void callsOnAnUnloadedWindowFail();
    void launch_data();
    void launch();
    void endTakesTheUnloadedWindow_data();
    void endTakesTheUnloadedWindow();
};

namespace {
enum Call { ShowCall, UnloadCall, FetchCall, SetCall, FocusCall };
// The blanking window's control a call is on; none for the window's own calls.
platform::ControlName On(int call) {
    return call == FetchCall   ? ui::kFirstField
           : call == SetCall   ? ui::kResultField
           : call == FocusCall ? Harness::Inputs(calc::Formula::Blanking)[1]
                               : platform::ControlName{nullptr};
}
void Make(Harness& h, int call) {
    platform::Form& form = h.project.Form1;
    switch (call) {
    case ShowCall: h.runtime.Show(form); break;
    case UnloadCall: h.runtime.Unload(form); break;
    case FetchCall: (void)h.runtime.FetchText(form, On(call)); break;
    case SetCall: h.runtime.SetText(form, On(call), "x"); break;
    default: h.runtime.SetFocus(form, On(call)); break;
    }
}
} // namespace

void TestRuntime::checkedCalls_data() {
    QTest::addColumn<int>("call");
    QTest::addColumn<bool>("fails");
    const char* names[] = {"Show", "Unload", "fetch Text", "set Text", "SetFocus"};
    for (int call = ShowCall; call <= FocusCall; ++call) {
        QTest::addRow("%s succeeding", names[call]) << call << false;
        QTest::addRow("%s failing", names[call]) << call << true;
    }
}

void TestRuntime::checkedCalls() {
    QFETCH(int, call);
    QFETCH(bool, fails);
    Harness h(*environment_);
    h.project.Start();
    h.runtime.Show(h.project.Form1);
    const platform::Member members[] = {platform::Member::Show, platform::Member::Unload,
                                        platform::Member::FetchText, platform::Member::SetText,
                                        platform::Member::SetFocusTextBox};
    if (fails)
        h.failing = std::make_pair(members[call], Harness::Object(ui::BlankingCalculator().layout, On(call)));
    bool thrown = false;
    try {
        Make(h, call);
    } catch (const platform::CheckedCallError& e) {
        thrown = true;
        QCOMPARE(e.member(), members[call]);
    }
    QCOMPARE(thrown, fails);
}

void TestRuntime::callsOnAnUnloadedWindowFail_data() {
    QTest::addColumn<int>("call");
    QTest::addColumn<int>("member");
    QTest::newRow("fetch Text") << int(FetchCall) << 160;
    QTest::newRow("set Text") << int(SetCall) << 164;
    QTest::newRow("SetFocus") << int(FocusCall) << 516;
}

// No call quietly reloads a window or reports success on a control that is gone.
void TestRuntime::callsOnAnUnloadedWindowFail() {
    QFETCH(int, call);
    QFETCH(int, member);
    Harness h(*environment_);
    try {
        Make(h, call);
        QFAIL("no failure");
    } catch (const platform::CheckedCallError& e) {
        QCOMPARE(int(e.member()), member);
        QCOMPARE(e.status(), platform::kFailed);
    }
    QVERIFY(!h.project.Form1.IsShown());
}

void TestRuntime::launch_data() {
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("opened"); // empty: nothing may be opened
    QTest::newRow("the link's command line") << "explorer.exe http://tamberlo.example"
                                             << "http://tamberlo.example";
    QTest::newRow("shell name in capitals") << "EXPLORER.EXE https://tamberlo.example/a"
                                            << "https://tamberlo.example/a";
    QTest::newRow("a local file is not opened") << "explorer.exe file:///etc/passwd"
                                                << "";
    QTest::newRow("another program is not run") << "cmd.exe /c del *"
                                                << "";
    QTest::newRow("no address") << "explorer.exe "
                                << "";
}

void TestRuntime::launch() {
    QFETCH(QString, commandLine);
    QFETCH(QString, opened);
    Harness h(*environment_);
    bool failed = false;
    try {
        h.runtime.Launch(commandLine.toStdU16String());
    } catch (const platform::LaunchError&) {
        failed = true;
    }
    QCOMPARE(failed, opened.isEmpty());
    QCOMPARE(h.opened.size(), opened.isEmpty() ? 0 : 1);
    if (!opened.isEmpty())
        QCOMPARE(h.opened[0], QUrl(opened));
}

void TestRuntime::endTakesTheUnloadedWindow_data() {
    QTest::addColumn<bool>("failedCall"); // the end by a failed call instead of End
    QTest::newRow("End") << false;
    QTest::newRow("a failed call") << true;
}

// A procedure unloads the active window, then the program ends: no window is left on the screen.
void TestRuntime::endTakesTheUnloadedWindow() {
    QFETCH(bool, failedCall);
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(calc::Formula::Blanking);
    QVERIFY(QTest::qWaitForWindowActive(form.window()));
    QPointer<QWidget> window = form.window();
    bool kept = false; // on the screen, as a window unloaded while active is
    h.runtime.RunProcedure([&] {
        h.runtime.Unload(form);
        kept = window->isVisible();
        if (failedCall) // on the window just unloaded
            (void)h.runtime.FetchText(form, ui::kFirstField);
        h.runtime.End();
    });
    QVERIFY(kept);
    QCOMPARE(h.exitCode, std::optional<int>(failedCall ? 1 : 0));
    QVERIFY(!window->isVisible());
    Harness::Flush();
    QVERIFY(!window);
}

QTEST_MAIN(TestRuntime)
#include "tst_runtime.moc"
