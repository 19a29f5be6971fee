// First-frame timing for the benchmark builds: a window's first frame is done
// once its first paint event has been handled and the frame flushed, which is
// when a call queued from that paint event runs.
#pragma once

#include "bench/clock.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <cstdio>
#include <functional>
#include <utility>

namespace bench {

// Reports a first frame. Kept out of line so that a profiler can cut its
// profile here: valgrind --tool=callgrind --dump-before='bench::FirstFrame*'.
[[gnu::noinline]] inline void FirstFrame(const std::function<void(QWidget*, long long)>& done,
                                         QWidget* window) {
    done(window, MonotonicNs());
}

// Watches the application's paint events; once armed, reports the first frame
// of the next top-level window painted (of the given object name, if any).
class FirstPaintWatcher : public QObject {
public:
    using Done = std::function<void(QWidget* window, long long paintedNs)>;

    explicit FirstPaintWatcher(QCoreApplication& app) : QObject(&app) { app.installEventFilter(this); }

    void Arm(QString windowName, Done done) {
        name_ = std::move(windowName);
        done_ = std::move(done);
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() != QEvent::Paint || !done_ || !object->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(object);
        if (!widget->isWindow() || (!name_.isEmpty() && widget->objectName() != name_))
            return false;
        QMetaObject::invokeMethod(
            this, [widget, done = std::exchange(done_, nullptr)] { FirstFrame(done, widget); },
            Qt::QueuedConnection);
        return false;
    }

private:
    QString name_;
    Done done_;
};

// With PF_BENCH_FIRST_FRAME set in the environment: prints "firstpaint
// <CLOCK_MONOTONIC ns>" after the first frame of the first window and quits.
// Otherwise: prints "settledrss <KiB>", the peak resident memory, 2 s after
// the call (made once the application exists), with the program left to
// itself, and quits.
inline void ReportStartup(QCoreApplication& app) {
    if (qEnvironmentVariableIsSet("PF_BENCH_FIRST_FRAME")) {
        auto* watcher = new FirstPaintWatcher(app);
        watcher->Arm({}, [](QWidget*, long long paintedNs) {
            std::printf("firstpaint %lld\n", paintedNs);
            std::fflush(stdout);
            QCoreApplication::quit();
        });
        return;
    }
#ifndef _WIN32 // the Windows build is timed to its first frame only
    constexpr int kSettledMs = 2000;
    QTimer::singleShot(kSettledMs, &app, [] {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("settledrss %ld\n", usage.ru_maxrss);
        std::fflush(stdout);
        QCoreApplication::quit();
    });
#endif
}

} // namespace bench
