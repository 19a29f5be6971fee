#include "platform/form.h"

#include "platform/controls.h"
#include "platform/loader.h"

#include <QAbstractButton>
#include <QKeyEvent>

#include <algorithm>

namespace platform {

namespace {

KeyCode VirtualKey(const QKeyEvent& e) {
    switch (e.key()) {
    case Qt::Key_Left: return KeyCode::Left;
    case Qt::Key_Up: return KeyCode::Up;
    case Qt::Key_Right: return KeyCode::Right;
    case Qt::Key_Down: return KeyCode::Down;
    default: return KeyCode::Other;
    }
}

// Sees each key press before the control does, and lets it through.
class KeyDownFilter : public QObject {
public:
    KeyDownFilter(QObject* parent, std::function<void(const QKeyEvent&)> handler)
        : QObject(parent), handler_(std::move(handler)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress)
            handler_(static_cast<const QKeyEvent&>(*event));
        return false;
    }

private:
    std::function<void(const QKeyEvent&)> handler_;
};

} // namespace

Form::Form(Runtime& runtime, const Window& layout) : runtime_(runtime), layout_(layout) {}

Form::~Form() { delete window_.data(); }

QWidget* Form::Control(ControlName control) const {
    if (!window_)
        return nullptr;
    return window_->findChild<QWidget*>(ObjectName(control.name, control.index), Qt::FindDirectChildrenOnly);
}

void Form::Load() {
    window_ = BuildWindow(layout_, HasText(layout_) ? &runtime_.Fonts() : nullptr, palettes_);
    window_->setGeometry(runtime_.WindowRect(layout_));
    window_->onTitleBarClose = [this] { runtime_.TitleBarClose(*this); };
    BindEvents();
}

void Form::Destroy(const std::function<void(QWidget*)>& retire) {
    if (!window_)
        return;
    FormWindow* w = window_.data();
    window_ = nullptr;
    w->onTitleBarClose = nullptr;
    if (retire && w->isActiveWindow()) {
        retire(w);
        return;
    }
    w->hide();
    // A procedure of this window may still be running: delete once it has returned.
    w->deleteLater();
}

void Form::OnClick(ControlName control, std::function<void()> procedure) {
    QWidget* w = Control(control);
    auto run = [this, procedure = std::move(procedure)] { runtime_.RunProcedure(procedure); };
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        QObject::connect(button, &QAbstractButton::clicked, button, run);
    else if (auto* label = qobject_cast<ClickLabel*>(w))
        QObject::connect(label, &ClickLabel::clicked, label, run);
    else
        qFatal("no clickable control %s", qPrintable(ToString(control)));
}

void Form::OnKeyDown(ControlName control, std::function<void(KeyCode)> procedure) {
    QWidget* w = Control(control);
    if (!w)
        qFatal("no control %s", qPrintable(ToString(control)));
    auto handler = [this, procedure = std::move(procedure)](const QKeyEvent& e) {
        const KeyCode key = VirtualKey(e);
        runtime_.RunProcedure([&] { procedure(key); });
    };
    w->installEventFilter(new KeyDownFilter(w, std::move(handler)));
}

} // namespace platform
