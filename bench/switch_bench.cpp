// Window switch: from the click on the main menu's blanking button to the first
// frame of the blanking calculator, against a plain Qt program doing the same.
//
//   switch_bench program [switches]   the program, started as for a user
//   switch_bench bare [switches]      the floor (see RunBare)
//
// Each switch replaces the shown window by a newly built one, then a switch back
// rebuilds the first; the next switch starts once that window has painted and
// its events have settled. Prints "cold <ns>" for the first switch of the
// process and "warm <ns>" for each later one.
#include "bench/firstpaint.h"
#include "platform/layout.h"
#include "platform/placement.h"
#include "ui/program_windows.h"
#include "ui/project.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

constexpr int kSettleMs = 50; // lets deferred deletes and activation finish before a click
// The first click comes as a person's would, not before half a second after the
// menu appeared.
constexpr int kFirstClickMs = 500;

void Report(int index, long long ns) {
    std::printf("%s %lld\n", index == 0 ? "cold" : "warm", ns);
    std::fflush(stdout);
}

// One run: `start` shows the menu (the window named `menu`) and runs the event
// loop; once the menu has painted, `open` shows the calculator (`calculator`),
// whose first frame ends the measurement; then `back` shows the menu again,
// `switches` times.
struct Switches {
    QString menu, calculator;
    std::function<int()> start;
    std::function<void()> open, back;
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
    return s.start();
}

// Clicks a button of the shown top-level window `window`, as a person would.
void Click(const platform::Window& window, platform::ControlName button) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == QLatin1String(window.name))
            if (auto* b = w->findChild<QAbstractButton*>(platform::ToString(button))) {
                b->click();
                return;
            }
    std::fprintf(stderr, "no button %s on %s\n", button.name, window.name);
    std::exit(1);
}

// Menu → blanking calculator through the program's own click procedures.
int RunProgram(QApplication& app, int switches) {
    return Run(app, switches,
               {QString::fromLatin1(ui::MenuLayout().name),
                QString::fromLatin1(ui::BlankingCalculator().layout.name), [&] { return ui::Run(app); },
                [] { Click(ui::MenuLayout(), ui::kMenuBlankingButton); },
                [] { Click(ui::BlankingCalculator().layout, ui::kBackButton); }});
}

// The floor, a plain Qt program: the bundled fonts registered at start, an
// empty window of the menu's size, and on the click a window built the
// straightforward way with the blanking calculator's controls (QLabel, QLineEdit,
// QPushButton with setGeometry, their texts and fonts, the picture in a QLabel
// as a QPixmap), shown and activated as the program shows a window, the
// previous one hidden and deleted later.
int RunBare(QApplication& app, int switches) {
    const int regular =
        QFontDatabase::addApplicationFont(QStringLiteral(":/assets/fonts/NotoSerifCJKsc-Regular-subset.otf"));
    QFontDatabase::addApplicationFont(QStringLiteral(":/assets/fonts/NotoSerifCJKsc-Bold-subset.otf"));
    const QString family = QFontDatabase::applicationFontFamilies(regular).value(0);
    QFont windowFont(family);
    windowFont.setPixelSize(12);
    QApplication::setFont(windowFont);

    QWidget* shown = nullptr;
    auto replace = [&](QWidget* w) {
        w->show();
        w->raise();
        w->activateWindow();
        if (shown) {
            shown->hide();
            shown->deleteLater();
        }
        shown = w;
    };
    auto menu = [&] {
        auto* w = new QWidget;
        w->setObjectName(QStringLiteral("menu"));
        w->setGeometry(platform::LayoutRect(ui::MenuLayout(), {}));
        replace(w);
    };
    auto calculator = [&] {
        const platform::Window& layout = ui::BlankingCalculator().layout;
        auto* w = new QWidget;
        w->setObjectName(QStringLiteral("calculator"));
        w->setWindowTitle(QString::fromUtf8(layout.caption));
        w->setGeometry(platform::LayoutRect(layout, {}));
        for (const platform::Control& c : layout.controls) {
            const QString text = QString::fromUtf8(c.text);
            QWidget* control = nullptr;
            switch (c.kind) {
            case platform::Kind::Label: control = new QLabel(text, w); break;
            case platform::Kind::TextBox: control = new QLineEdit(text, w); break;
            case platform::Kind::Button: control = new QPushButton(text, w); break;
            case platform::Kind::PictureBox: {
                auto* picture = new QLabel(w);
                picture->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
                picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                picture->setPixmap(QPixmap(QString::fromUtf8(c.picture->resource)));
                control = picture;
                break;
            }
            }
            control->setGeometry(platform::Px(c.left), platform::Px(c.top), platform::Px(c.width),
                                 platform::Px(c.height));
            if (c.font.family) {
                QFont font(family);
                font.setPixelSize(static_cast<int>(std::lround(c.font.points * 96.0 / 72.0)));
                font.setBold(c.font.weight >= 700);
                control->setFont(font);
            }
        }
        replace(w);
    };
    const int code = Run(app, switches,
                         {QStringLiteral("menu"), QStringLiteral("calculator"),
                          [&] {
                              menu();
                              return QApplication::exec();
                          },
                          calculator, menu});
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
