// Which window is active after an event procedure, where the keys typed right
// after it go, and when the windows it unloaded leave.
//
// Within a procedure only its last activation request counts, made once it
// has returned; a window it shows opens without activating. Keys typed after
// it reach the control it left the focus in, whatever the window manager
// activates meanwhile, until the user chooses another window: a mouse press in
// the program (its window is asked for, after any request of the program), the
// pointer moved, or an activation of a window the procedure did not show.
//
// The hold: desktops act on a Show after the procedure has returned (xfwm4
// activates a raised window, Wine a window shown without activation, twice).
// For kHoldMilliseconds, keys reaching a window the procedure showed go on to
// the requested window's focus, and once such a window has been active for
// kSettleMilliseconds, the requested window is asked for once more.
//
// A window a procedure unloads while it is active stays, inert, passing on
// the keys it gets: unmapped at once, it leaves the X focus on no window of
// the program, and keys typed in that gap are lost (mutter). It stays until
// the requested window has been active or the hold ends (a later procedure
// before then keeps it too), is hidden kSettleMilliseconds later but not
// within kHoldMilliseconds of a key (mutter can lose a key pressed during an
// unmap), and is destroyed kHoldMilliseconds after that: a screen reader's
// bridge may pass on a key late. An activation of it chooses nothing (Wine may
// give it back). Any other unloaded window goes at once, and every one when
// the program ends.
#pragma once

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <vector>

class QWindow;

namespace platform {

class Activation : public QObject {
public:
    // A window manager acts on a Show well within this.
    static constexpr int kHoldMilliseconds = 1000;
    // The quiet after the last activation before the hold asks again.
    static constexpr int kSettleMilliseconds = 100;

    // `pointer` tells where the pointer is.
    explicit Activation(std::function<QPoint()> pointer);
    ~Activation() override;

    // Shows and raises `window`; in a procedure without activating it.
    void Show(QWidget* window, bool inProcedure);
    // Asks for `window` to be active: at once outside a procedure, else when it returns.
    void Request(QWidget* window, bool inProcedure);
    // The procedure has returned: its last request is made, and held.
    void ProcedureReturned();
    // Takes `window`, unloaded, and destroys it as the rule says.
    void Unload(QWidget* window, bool inProcedure);
    // The program ends: the keys are let go and every unloaded window goes at once.
    void End();

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    // An unloaded window kept on the screen, then hidden, before it is destroyed.
    struct Retired {
        QPointer<QWidget> window;
        enum Stage { Kept, Settled, Hidden } stage = Kept;
        qint64 since = 0; // settled or hidden at
    };

    void Hold(QWidget* target, std::vector<QPointer<QWidget>> shown,
              const std::vector<QPointer<QWidget>>& retired);
    void Activated(QWindow* window);
    // The window of `receiver`, a QWindow or a widget, is `window`.
    static bool In(const QObject* receiver, const QWidget* window);
    // It is one the hold keeps keys for.
    bool Shown(const QObject* receiver) const;
    // It is, or is in, an unloaded window not yet destroyed.
    bool Retiring(const QObject* receiver) const;
    // The user pressed in the window of `receiver`: it is asked for, and the keys let go.
    void Chosen(const QObject* receiver);
    // Lets the keys go.
    void LetGo();
    // Lets the keys go; the kept windows start to leave.
    void Release();
    // The kept windows start to leave.
    void Settle();
    // When the next retired window is due to be hidden or destroyed.
    qint64 Due(const Retired& r) const;
    void ScheduleDepartures();
    // Every unloaded window goes at once.
    void Bury();
    void Unfilter();

    // The procedure's last request, and the windows it showed or unloaded.
    QPointer<QWidget> pending_;
    std::vector<QPointer<QWidget>> procedureShown_, procedureRetired_;
    // While holding: the requested window, the others shown, the pointer then.
    QPointer<QWidget> target_;
    std::vector<QPointer<QWidget>> shown_;
    // Unloaded windows not yet destroyed, and the time of the last key.
    std::vector<Retired> retired_;
    qint64 lastKey_ = -kHoldMilliseconds;
    QElapsedTimer clock_;
    // The window last asked for, which gets the keys reaching a retired
    // window while the focus is still in one.
    QPointer<QWidget> requested_;
    std::function<QPoint()> pointer_;
    QPoint pointerAtHold_;
    bool answered_ = false; // asked once more; a later activation stands
    QBasicTimer expiry_;
    QBasicTimer settle_;
    QBasicTimer departure_;
};

} // namespace platform
