#include "platform/activation.h"

#include <QApplication>
#include <QGuiApplication>
#include <QTimerEvent>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace platform {

Activation::Activation(std::function<QPoint()> pointer) : pointer_(std::move(pointer)) { clock_.start(); }
Activation::~Activation() {
    for (const auto& list : {procedureRetired_, retired_.TakeAll()})
        for (const QPointer<QWidget>& w : list)
            delete w.data();
}

void Activation::Retire(QWidget* window) { procedureRetired_.emplace_back(window); }

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
            if (w) {
                w->hide();
                w->deleteLater();
            }
    }
}

void Activation::Hold(QWidget* target, std::vector<QPointer<QWidget>> shown,
                      const std::vector<QPointer<QWidget>>& retired) {
    // Windows retired before and still kept stay with these until this window
    // is active: one hidden now while it has the X focus would open the gap again.
    LetGo();
    for (const QPointer<QWidget>& w : retired)
        retired_.Retire(w);
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
    return retired_.AnyOf([&](const QPointer<QWidget>& w) { return In(receiver, w); });
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
        Release();
        return false;
    // Typing chooses no window: what reaches a window the procedure showed
    // goes on to the control the procedure left the focus in, in order; what
    // reaches a retired window, even late (a screen reader's bridge holds each
    // key until the reader has seen it), goes on to the focus.
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::InputMethod:
        // Retired windows are hidden in a pause of the typing.
        retired_.Key(clock_.elapsed());
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
        auto [hide, destroy] = retired_.Take(clock_.elapsed());
        for (const QPointer<QWidget>& w : hide)
            if (w)
                w->hide();
        for (const QPointer<QWidget>& w : destroy)
            if (w)
                w->deleteLater();
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
    for (const auto& list : {std::exchange(procedureRetired_, {}), retired_.TakeAll()})
        for (const QPointer<QWidget>& w : list)
            if (w) {
                w->hide();
                w->deleteLater();
            }
    Unfilter();
}

void Activation::Settle() {
    retired_.Settle(clock_.elapsed());
    ScheduleDepartures();
    Unfilter();
}

void Activation::ScheduleDepartures() {
    if (const std::optional<qint64> due = retired_.Next())
        departure_.start(static_cast<int>(std::max<qint64>(0, *due - clock_.elapsed())), this);
    else
        departure_.stop();
}

void Activation::Unfilter() {
    if (!target_ && retired_.Empty())
        qApp->removeEventFilter(this);
}

} // namespace platform
