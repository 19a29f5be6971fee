#include "platform/activation.h"

#include <QApplication>
#include <QGuiApplication>
#include <QTimerEvent>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace platform {

namespace {

void Dispose(QWidget* window) {
    if (!window)
        return;
    window->hide();
    // A procedure of this window may still be running: deleted once it has returned.
    window->deleteLater();
}

} // namespace

Activation::Activation(std::function<QPoint()> pointer) : pointer_(std::move(pointer)) { clock_.start(); }
Activation::~Activation() {
    for (const QPointer<QWidget>& w : procedureRetired_)
        delete w.data();
    for (const Retired& r : retired_)
        delete r.window.data();
}

void Activation::Unload(QWidget* window, bool inProcedure) {
    if (inProcedure && window->isActiveWindow())
        procedureRetired_.emplace_back(window);
    else
        Dispose(window);
}

void Activation::Show(QWidget* window, bool inProcedure) {
    // In a procedure the window manager must not activate the window it maps:
    // the procedure's last request decides.
    window->setAttribute(Qt::WA_ShowWithoutActivating, inProcedure);
    window->show();
    window->raise();
    procedureShown_.emplace_back(window);
    Request(window, inProcedure);
}

void Activation::Request(QWidget* window, bool inProcedure) {
    // Only the last request counts, made once the procedure has returned: a
    // desktop activates asynchronously, so a window shown first and another
    // focused after it could otherwise end up in either order.
    pending_ = window;
    if (!inProcedure)
        ProcedureReturned();
}

void Activation::ProcedureReturned() {
    std::vector<QPointer<QWidget>> shown = std::exchange(procedureShown_, {});
    std::vector<QPointer<QWidget>> retired = std::exchange(procedureRetired_, {});
    if (QWidget* w = std::exchange(pending_, nullptr); w && w->isVisible()) {
        requested_ = w;
        w->activateWindow();
        Hold(w, std::move(shown), retired);
    } else { // no window to pass the focus to
        for (const QPointer<QWidget>& w : retired)
            Dispose(w);
    }
}

void Activation::Hold(QWidget* target, std::vector<QPointer<QWidget>> shown,
                      const std::vector<QPointer<QWidget>>& retired) {
    // Windows retired before and still kept stay with these until this window
    // is active: one hidden now while it has the X focus would open the gap again.
    LetGo();
    for (const QPointer<QWidget>& w : retired)
        retired_.push_back({w});
    shown.insert(shown.end(), retired.begin(), retired.end());
    std::erase_if(shown, [&](const QPointer<QWidget>& w) { return !w || w == target; });
    if (shown.empty()) {
        Settle();
        return;
    }
    target_ = target;
    shown_ = std::move(shown);
    pointerAtHold_ = pointer_();
    qApp->installEventFilter(this);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &Activation::Activated);
    expiry_.start(kHoldMilliseconds, this);
}

bool Activation::In(const QObject* receiver, const QWidget* window) {
    if (!window)
        return false;
    if (receiver->isWindowType())
        return window->windowHandle() == receiver;
    return receiver->isWidgetType() && static_cast<const QWidget*>(receiver)->window() == window;
}

bool Activation::Shown(const QObject* receiver) const {
    return std::any_of(shown_.begin(), shown_.end(),
                       [&](const QPointer<QWidget>& w) { return In(receiver, w); });
}

bool Activation::Retiring(const QObject* receiver) const {
    return std::any_of(retired_.begin(), retired_.end(),
                       [&](const Retired& r) { return In(receiver, r.window); });
}

bool Activation::eventFilter(QObject* receiver, QEvent* event) {
    switch (event->type()) {
    // A retired window takes no clicks.
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: return Retiring(receiver);
    // Choosing a window takes the pointer; a click on a title bar reaches
    // only the window manager, which then activates another window.
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
        if (Retiring(receiver))
            return true;
        Chosen(receiver);
        return false;
    // Typing chooses no window: what reaches a window the procedure showed
    // goes on to the control the procedure left the focus in, in order; what
    // reaches a retired window, even late (a screen reader's bridge holds each
    // key until the reader has seen it), goes on to the focus.
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::InputMethod:
        // Retired windows are hidden in a pause of the typing.
        lastKey_ = clock_.elapsed();
        ScheduleDepartures();
        if ((target_ && Shown(receiver)) || Retiring(receiver)) {
            const auto focusIn = [](QWidget* w) { return w && w->focusWidget() ? w->focusWidget() : w; };
            QWidget* to = target_ ? focusIn(target_) : QApplication::focusWidget();
            if (!to || Retiring(to)) // the focus still in a retired window: the last one asked for
                to = focusIn(requested_);
            if (to && !Retiring(to))
                QCoreApplication::sendEvent(to, event);
            return true;
        }
        return false;
    default: return false;
    }
}

void Activation::timerEvent(QTimerEvent* event) {
    if (event->timerId() == expiry_.timerId()) {
        expiry_.stop();
        if (!settle_.isActive())
            Release();
    } else if (event->timerId() == departure_.timerId()) {
        const qint64 now = clock_.elapsed();
        std::erase_if(retired_, [&](Retired& r) {
            if (r.stage == Retired::Kept || Due(r) > now)
                return false;
            if (r.stage == Retired::Hidden) {
                if (r.window)
                    r.window->deleteLater();
                return true;
            }
            if (r.window)
                r.window->hide();
            r.stage = Retired::Hidden;
            r.since = now;
            return false;
        });
        ScheduleDepartures();
        Unfilter();
    } else if (event->timerId() == settle_.timerId()) {
        settle_.stop();
        // A moved pointer may have chosen the window that is active now.
        if (pointer_() != pointerAtHold_ || !target_ || !target_->isVisible()) {
            Release();
            return;
        }
        // Asked once: the hold keeps the keys until the window is active, for
        // one more hold's time at most.
        answered_ = true;
        target_->activateWindow();
        if (!expiry_.isActive())
            expiry_.start(kHoldMilliseconds, this);
    } else {
        QObject::timerEvent(event);
    }
}

void Activation::Activated(QWindow* window) {
    if (!window)
        return;
    if (target_ && target_->windowHandle() == window) {
        settle_.stop();
        Settle();
        if (answered_)
            Release();
    } else if (!answered_ && Shown(window)) {
        settle_.start(kSettleMilliseconds, this);
    } else if (!Retiring(window)) { // Wine may give it back to an unloaded window
        Release();
    }
}

void Activation::Chosen(const QObject* receiver) {
    // A request of the hold may reach the window manager after the user's
    // choice: the chosen window is asked for after it.
    if (target_ && !In(receiver, target_)) {
        const QWidgetList windows = QApplication::topLevelWidgets();
        const auto chosen =
            std::find_if(windows.begin(), windows.end(), [&](QWidget* w) { return In(receiver, w); });
        if (chosen != windows.end())
            (*chosen)->activateWindow();
    }
    Release();
}

void Activation::LetGo() {
    disconnect(qApp, nullptr, this, nullptr);
    expiry_.stop();
    settle_.stop();
    target_ = nullptr;
    shown_.clear();
    answered_ = false;
}

void Activation::Release() {
    LetGo();
    Settle();
}

void Activation::End() {
    Release();
    Bury();
}

void Activation::Bury() {
    departure_.stop();
    for (const QPointer<QWidget>& w : std::exchange(procedureRetired_, {}))
        Dispose(w);
    for (const Retired& r : std::exchange(retired_, {}))
        Dispose(r.window);
    Unfilter();
}

void Activation::Settle() {
    for (Retired& r : retired_)
        if (r.stage == Retired::Kept)
            r = {r.window, Retired::Settled, clock_.elapsed()};
    ScheduleDepartures();
    Unfilter();
}

qint64 Activation::Due(const Retired& r) const {
    return r.stage == Retired::Hidden ? r.since + kHoldMilliseconds
                                      : std::max(r.since + kSettleMilliseconds, lastKey_ + kHoldMilliseconds);
}

void Activation::ScheduleDepartures() {
    qint64 next = -1;
    for (const Retired& r : retired_)
        if (r.stage != Retired::Kept && (next < 0 || Due(r) < next))
            next = Due(r);
    if (next >= 0)
        departure_.start(static_cast<int>(std::max<qint64>(0, next - clock_.elapsed())), this);
    else
        departure_.stop();
}

void Activation::Unfilter() {
    if (!target_ && retired_.empty())
        qApp->removeEventFilter(this);
}

} // namespace platform
