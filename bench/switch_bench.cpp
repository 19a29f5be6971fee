// Window switch: from the click on the main menu's blanking button to the first
// frame of the blanking calculator, against a bare window's show to first frame.
//
//   switch_bench program [switches]   the program's own windows
//   switch_bench bare [switches]      plain QWidgets of the same sizes and places
//
// Each switch replaces the shown window by a newly built one, then a switch back
// rebuilds the first; the next switch starts once that window has painted and
// its events have settled. Prints "cold <ns>" for the first switch of the
// process and "warm <ns>" for each later one.
#include "bench/firstpaint.h"
#include "platform/runtime.h"
#include "ui/environment.h"
#include "ui/project.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

constexpr int kSettleMs = 50; // lets deferred deletes and activation finish before a click
// The first click comes as a person's would, not before half a second after the
// menu appeared; the program prepares its fonts in that time.
constexpr int kFirstClickMs = 500;

void Report(int index, long long ns) {
    std::printf("%s %lld\n", index == 0 ? "cold" : "warm", ns);
    std::fflush(stdout);
}

void Click(platform::Form& form, const char* button) {
    auto* b = qobject_cast<QAbstractButton*>(form.Control({button}));
    if (!b) {
        std::fprintf(stderr, "no button %s on %s\n", button, qPrintable(form.Name()));
        std::exit(1);
    }
    b->click();
}

// One run: `start` shows the menu (the window named `menu`); once it has
// painted, `open` shows the calculator (`calculator`), whose first frame ends
// the measurement; then `back` shows the menu again, `switches` times.
struct Switches {
    QString menu, calculator;
    std::function<void()> start, open, back;
};

int Run(QApplication& app, int switches, const Switches& s) {
    auto* watcher = new bench::FirstPaintWatcher(app);
    int done = 0;
    std::function<void()> menuShown;
    menuShown = [&] {
        QTimer::singleShot(done == 0 ? kFirstClickMs : kSettleMs, &app, [&] {
            const long long clicked = bench::MonotonicNs();
            watcher->Arm(s.calculator, [&, clicked](QWidget*, long long painted) {
                Report(done, painted - clicked);
                if (++done == switches) {
                    QCoreApplication::quit();
                    return;
                }
                QTimer::singleShot(kSettleMs, &app, [&] {
                    watcher->Arm(s.menu, [&](QWidget*, long long) { menuShown(); });
                    s.back();
                });
            });
            s.open();
        });
    };
    watcher->Arm(s.menu, [&](QWidget*, long long) { menuShown(); });
    s.start();
    return QApplication::exec();
}

// Menu → blanking calculator through the program's own click procedures.
int RunProgram(QApplication& app, int switches) {
    ui::Environment environment(app);
    platform::Runtime runtime;
    environment.Configure(runtime);
    ui::Project project(runtime);
    return Run(app, switches,
               {QStringLiteral("Form4"), QStringLiteral("Form1"), [&] { project.Start(); },
                [&] { Click(project.Form4(), "Command2"); },   // 冲裁力计算
                [&] { Click(project.Form1(), "Command4"); }}); // 返回
}

// The floor: the same sequence with empty QWidgets, shown and activated as the
// runtime shows a window, the previous one hidden and deleted later.
int RunBare(QApplication& app, int switches) {
    QWidget* shown = nullptr;
    auto replace = [&](const char* name, QRect geometry) {
        auto* w = new QWidget;
        w->setObjectName(QString::fromLatin1(name));
        w->setGeometry(geometry);
        w->show();
        w->raise();
        w->activateWindow();
        if (shown) {
            shown->hide();
            shown->deleteLater();
        }
        shown = w;
    };
    const QRect menu(764, 99, 300, 159), calculator(769, 99, 420, 380);
    const int code =
        Run(app, switches,
            {QStringLiteral("menu"), QStringLiteral("calculator"), [&] { replace("menu", menu); },
             [&] { replace("calculator", calculator); }, [&] { replace("menu", menu); }});
    delete shown;
    return code;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int switches = args.size() > 2 ? args[2].toInt() : 5;
    if (args.size() < 2 || switches < 1) {
        std::fprintf(stderr, "usage: switch_bench program|bare [switches]\n");
        return 2;
    }
    if (args[1] == QLatin1String("program"))
        return RunProgram(app, switches);
    if (args[1] == QLatin1String("bare"))
        return RunBare(app, switches);
    std::fprintf(stderr, "usage: switch_bench program|bare [switches]\n");
    return 2;
}
