// Memory in a long session: the program as a user starts it, used over and
// over as a person uses it, its resident memory and its heap read every so
// many cycles.
//
//   soak [cycles [every]]      default 800 cycles, read every 100
//
// One cycle: the menu's 冲裁力计算, the calculator's 查询, then its 返回. Each
// click is X input (XTest): the pointer moves onto the button and presses it,
// so that the button's hover and pressed states paint and the window manager
// activates windows as it does for a person. The driver runs in the program's
// process: it finds the button's place on the screen in the window's own
// widgets, clicks once the window it waits for is shown and active, and reads
// the memory at exactly the end of a cycle.
//
// Prints "cycle <n> rss <KiB> heap <KiB>" at every read and then, from the
// first read after 100 cycles to the last, the growth per 100 cycles against a
// budget of 100 KiB:
// "RESULT soak/rss ..." and "RESULT soak/heap ..." (as bench/run.sh reads them).
#include "bench/clock.h"
#include "ui/program_windows.h"
#include "ui/project.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr double kBudgetKiB = 100; // per 100 cycles, after the first 100
constexpr int kWarmCycles = 100;
constexpr int kPollMs = 5;
constexpr int kSettleMs = 10; // after the awaited state, before the next click
constexpr int kHoverMs = 10;  // pointer on the button before the press
constexpr long long kStepTimeoutNs = 10'000'000'000LL;

// One click: on `button` of window `window`; then the windows the user sees
// next, the first of them active.
struct Step {
    const platform::Window* window;
    platform::ControlName button;
    const platform::Window* active;
    const platform::Window* alsoShown;
};

const platform::Window* const kMenu = &ui::MenuLayout();
const platform::Window* const kBlanking = &ui::BlankingCalculator().layout;
const platform::Window* const kSheet = &ui::MaterialLayout();

const Step kCycle[] = {
    {kMenu, ui::kMenuBlankingButton, kBlanking, nullptr}, // 冲裁力计算
    {kBlanking, ui::kMaterialButton, kBlanking, kSheet},  // 查询: the sheet opens or comes to the front
    {kBlanking, ui::kBackButton, kMenu, nullptr},         // 返回
};

bool Is(const QWidget* window, const platform::Window* layout) {
    return window && window->objectName() == QLatin1String(layout->name);
}

QWidget* Shown(const platform::Window* layout) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && Is(w, layout))
            return w;
    return nullptr;
}

struct Memory {
    int cycle;
    long rssKiB;
    long heapKiB;
};

Memory ReadMemory() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    const struct mallinfo2 heap = mallinfo2();
    return {0, resident * (sysconf(_SC_PAGESIZE) / 1024),
            static_cast<long>((heap.uordblks + heap.hblkhd) / 1024)};
}

class Driver : public QObject {
public:
    Driver(QApplication& app, int cycles, int every)
        : QObject(&app), cycles_(cycles), every_(every), display_(XOpenDisplay(nullptr)) {
        int event = 0, error = 0, major = 0, minor = 0;
        if (!display_ || !XTestQueryExtension(display_, &event, &error, &major, &minor)) {
            std::fprintf(stderr, "soak: no X display with the XTest extension\n");
            std::exit(1);
        }
        started_ = bench::MonotonicNs();
        Await(kCycle[2]); // the menu, as after a cycle
    }
    ~Driver() override { XCloseDisplay(display_); }

private:
    // Polls until `step`'s windows are shown and its active window is active.
    void Await(const Step& step) {
        const long long deadline = bench::MonotonicNs() + kStepTimeoutNs;
        auto* poll = new QTimer(this);
        poll->start(kPollMs);
        connect(poll, &QTimer::timeout, this, [this, poll, &step, deadline] {
            if (Is(QApplication::activeWindow(), step.active) && (!step.alsoShown || Shown(step.alsoShown))) {
                poll->stop();
                poll->deleteLater();
                QTimer::singleShot(kSettleMs, this, [this] { Next(); });
            } else if (bench::MonotonicNs() > deadline) {
                std::fprintf(stderr, "soak: cycle %d: %s not active\n", done_ + 1, step.active->name);
                std::exit(1);
            }
        });
    }

    void Next() {
        if (step_ == 0) {
            if (done_ % every_ == 0 && done_ > 0)
                Read();
            if (done_ == cycles_) {
                Finish();
                return;
            }
        }
        const Step& step = kCycle[step_];
        Click(step);
        step_ = (step_ + 1) % std::size(kCycle);
        if (step_ == 0)
            ++done_;
    }

    void Click(const Step& step) {
        QWidget* window = Shown(step.window);
        auto* button =
            window ? window->findChild<QAbstractButton*>(platform::ToString(step.button)) : nullptr;
        if (!button) {
            std::fprintf(stderr, "soak: no button %s on %s\n", step.button.name, step.window->name);
            std::exit(1);
        }
        const QPoint at = button->mapToGlobal(button->rect().center());
        XTestFakeMotionEvent(display_, -1, at.x(), at.y(), CurrentTime);
        XFlush(display_);
        QTimer::singleShot(kHoverMs, this, [this, &step] {
            XTestFakeButtonEvent(display_, 1, True, CurrentTime);
            XTestFakeButtonEvent(display_, 1, False, CurrentTime);
            XFlush(display_);
            Await(step);
        });
    }

    void Read() {
        Memory m = ReadMemory();
        m.cycle = done_;
        reads_.push_back(m);
        std::printf("cycle %d rss %ld heap %ld\n", done_, m.rssKiB, m.heapKiB);
        std::fflush(stdout);
    }

    void Finish() {
        const double seconds = static_cast<double>(bench::MonotonicNs() - started_) / 1e9;
        std::printf("%d cycles in %.0f s\n", cycles_, seconds);
        const auto from = std::find_if(reads_.begin(), reads_.end(),
                                       [](const Memory& m) { return m.cycle >= kWarmCycles; });
        if (from != reads_.end() && from->cycle < reads_.back().cycle) {
            const Memory& last = reads_.back();
            const double per100 = 100.0 / (last.cycle - from->cycle);
            const double rss = static_cast<double>(last.rssKiB - from->rssKiB) * per100;
            const double heap = static_cast<double>(last.heapKiB - from->heapKiB) * per100;
            // RESULT name measured budget unit ratio target
            std::printf("RESULT soak/rss %.1f %.1f KiB %.2f 1.00\n", rss, kBudgetKiB, rss / kBudgetKiB);
            std::printf("RESULT soak/heap %.1f %.1f KiB %.2f 1.00\n", heap, kBudgetKiB, heap / kBudgetKiB);
        }
        std::fflush(stdout);
        QCoreApplication::exit(0);
    }

    const int cycles_, every_;
    Display* display_;
    long long started_ = 0;
    int done_ = 0;
    std::size_t step_ = 0;
    std::vector<Memory> reads_;
};

} // namespace

int main(int argc, char* argv[]) {
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 800;
    const int every = argc > 2 ? std::atoi(argv[2]) : 100;
    if (cycles < 1 || every < 1) {
        std::fprintf(stderr, "usage: soak [cycles [every]]\n");
        return 2;
    }
    // The program sees its own name only: the rest are the driver's.
    int programArgc = 1;
    return ui::Main(programArgc, argv, [&](QApplication& app) { new Driver(app, cycles, every); });
}
