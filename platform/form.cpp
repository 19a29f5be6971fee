#include "platform/form.h"

#include "platform/controls.h"
#include "platform/loader.h"

#include <QAbstractButton>
#include <QKeyEvent>

#include <algorithm>

namespace platform {

namespace {

// Window-system key code of a key: 37..40 for the arrows, ASCII for letters and digits.
int VirtualKey(const QKeyEvent& e) {
    switch (e.key()) {
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    default: break;
    }
    if ((e.key() >= Qt::Key_0 && e.key() <= Qt::Key_9) || (e.key() >= Qt::Key_A && e.key() <= Qt::Key_Z))
        return e.key();
    return 0;
}

int ShiftState(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
}

class KeyDownFilter : public QObject {
public:
    KeyDownFilter(QObject* parent, std::function<bool(const QKeyEvent&)> handler)
        : QObject(parent), handler_(std::move(handler)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        return event->type() == QEvent::KeyPress && handler_(static_cast<const QKeyEvent&>(*event));
    }

private:
    std::function<bool(const QKeyEvent&)> handler_;
};

} // namespace

Form::Form(Runtime& runtime, const Window& layout) : runtime_(runtime), layout_(layout) {
    runtime_.forms_.push_back(this);
}

Form::~Form() {
    delete window_.data();
    auto& forms = runtime_.forms_;
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
}

QWidget* Form::Control(ControlName control) const {
    if (!window_)
        return nullptr;
    return window_->findChild<QWidget*>(ObjectName(control.name, control.index), Qt::FindDirectChildrenOnly);
}

void Form::Load() {
    window_ = BuildWindow(layout_, HasText(layout_) ? &runtime_.Fonts() : nullptr);
    window_->setGeometry(runtime_.WindowRect(layout_));
    window_->onTitleBarClose = [this] { runtime_.TitleBarClose(*this); };
    BindEvents();
}

void Form::Destroy() {
    if (!window_)
        return;
    FormWindow* w = window_.data();
    window_ = nullptr;
    w->onTitleBarClose = nullptr;
    w->hide();
    // A procedure of this window may still be running: delete once it has returned.
    w->deleteLater();
}

void Form::OnClick(ControlName control, std::function<void()> procedure) {
    QWidget* w = Control(control);
    auto run = [this, procedure = std::move(procedure)] { runtime_.RunProcedure(*this, procedure); };
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        QObject::connect(button, &QAbstractButton::clicked, button, run);
    else if (auto* label = qobject_cast<ClickLabel*>(w))
        QObject::connect(label, &ClickLabel::clicked, label, run);
    else
        qFatal("no clickable control %s", qPrintable(ToString(control)));
}

void Form::OnKeyDown(ControlName control, std::function<void(int&, int)> procedure) {
    QWidget* w = Control(control);
    if (!w)
        qFatal("no control %s", qPrintable(ToString(control)));
    auto handler = [this, procedure = std::move(procedure)](const QKeyEvent& e) {
        const int original = VirtualKey(e);
        int keyCode = original;
        runtime_.RunProcedure(*this, [&] { procedure(keyCode, ShiftState(e.modifiers())); });
        return original != 0 && keyCode == 0; // a procedure that zeroes the code consumes the key
    };
    w->installEventFilter(new KeyDownFilter(w, std::move(handler)));
}

} // namespace platform
