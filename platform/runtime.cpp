#include "platform/runtime.h"

#include "platform/activation.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>

#include <algorithm>
#include <utility>

namespace platform {

namespace {

// Thrown by End: stops the running procedure; its frame swallows it.
struct EndRequest {};

const Control* FindControl(const Form& form, ControlName name) {
    for (const Control& c : form.layout().controls)
        if (qstrcmp(c.name, name.name) == 0 && c.index == name.index)
            return &c;
    return nullptr;
}

QString ObjectPath(const Form& form, ControlName control) {
    return form.Name() + QLatin1Char('.') + ToString(control);
}

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

QString ToString(ControlName control) { return ObjectName(control.name, control.index); }

Form::~Form() { delete window_.data(); }

QWidget* Form::Control(ControlName control) const {
    if (!window_)
        return nullptr;
    return window_->findChild<QWidget*>(ObjectName(control.name, control.index), Qt::FindDirectChildrenOnly);
}

Runtime::Runtime(std::vector<const Window*> arrangement, std::function<const LoaderFonts&()> fonts,
                 RuntimeHooks hooks)
    : arrangement_(std::move(arrangement)), fonts_(std::move(fonts)), hooks_(std::move(hooks)) {
    if (!hooks_.report)
        hooks_.report = [this](const QString& text) {
            (void)fonts_(); // the report is in Chinese
            QMessageBox box(QMessageBox::Critical, ReportTitle(), text, QMessageBox::Ok);
            // Orca 48 skips a label of fewer than three words, as a Chinese sentence is: the
            // report's text is told as the box's description too.
            box.setAccessibleDescription(text);
            box.exec();
        };
    if (!hooks_.endProgram)
        hooks_.endProgram = [](int exitCode) { QCoreApplication::exit(exitCode); };
    if (!hooks_.openUrl)
        hooks_.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    if (!hooks_.screen)
        hooks_.screen = [] {
            const QScreen* primary = QGuiApplication::primaryScreen();
            return primary ? ScreenArea{primary->geometry(), primary->availableGeometry()} : ScreenArea{};
        };
    if (!hooks_.pointer)
        hooks_.pointer = [] { return QCursor::pos(); };
    activation_ = std::make_unique<Activation>(hooks_.pointer);
}

Runtime::~Runtime() = default;

template <class Op>
void Runtime::Call(Member member, const char* interfaceId, const QString& object, Op&& op) {
    Status status = hooks_.failCall ? hooks_.failCall(member, object) : kOk;
    if (status >= 0)
        status = op();
    if (status < 0)
        throw CheckedCallError(status, interfaceId, member, object);
}

void Runtime::Show(Form& form) {
    Call(Member::Show, "Form", form.Name(), [&] {
        if (!form.IsShown())
            Load(form);
        activation_->Show(form.window(), depth_ > 0);
        return kOk;
    });
}

void Runtime::Unload(Form& form) {
    Call(Member::Unload, "Global", form.Name(), [&] {
        Destroy(form);
        return kOk;
    });
    if (depth_ == 0)
        EndIfNoWindowLeft();
}

QString Runtime::FetchText(Form& form, ControlName control) {
    QString text;
    Call(Member::FetchText, "TextBox", ObjectPath(form, control), [&] {
        auto* edit = qobject_cast<QLineEdit*>(form.Control(control));
        if (!edit)
            return kFailed;
        text = edit->text();
        return kOk;
    });
    return text;
}

void Runtime::SetText(Form& form, ControlName control, const QString& text) {
    Call(Member::SetText, "TextBox", ObjectPath(form, control), [&] {
        auto* edit = qobject_cast<QLineEdit*>(form.Control(control));
        if (!edit)
            return kFailed;
        edit->setText(text);
        edit->setCursorPosition(0); // a text wider than the box shows its beginning
        return kOk;
    });
}

void Runtime::SetFocus(Form& form, ControlName control) {
    const Control* entry = FindControl(form, control);
    const bool button = entry && entry->kind == Kind::Button;
    Call(button ? Member::SetFocusButton : Member::SetFocusTextBox, button ? "CommandButton" : "TextBox",
         ObjectPath(form, control), [&] {
             QWidget* w = form.Control(control);
             if (!w || !w->isEnabled() || w->focusPolicy() == Qt::NoFocus)
                 return kFailed;
             w->setFocus(Qt::OtherFocusReason);
             activation_->Request(w->window(), depth_ > 0);
             return kOk;
         });
}

void Runtime::End() {
    EndProgram(0);
    throw EndRequest{};
}

void Runtime::Launch(std::u16string_view commandLine) {
    const QString line = QString::fromUtf16(commandLine.data(), static_cast<qsizetype>(commandLine.size()));
    static const QString shell = QStringLiteral("explorer.exe ");
    const QString target =
        line.startsWith(shell, Qt::CaseInsensitive) ? line.mid(shell.size()).trimmed() : line.trimmed();
    // Only a web address is ever opened; nothing else on the command line is run.
    const QUrl url(target, QUrl::StrictMode);
    const bool web =
        url.isValid() && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
    if (!web || !hooks_.openUrl(url))
        throw LaunchError(target);
}

void Runtime::RunProcedure(const std::function<void()>& procedure) {
    if (ended_)
        return;
    // A form outlives every procedure, and a window the procedure unloads is
    // deleted only once control is back in the event loop: the procedure's
    // window stays valid for the whole call.
    ++depth_;
    try {
        procedure();
    } catch (const EndRequest&) {
    } catch (const LaunchError& e) {
        hooks_.report(e.Report());
    } catch (const CheckedCallError& e) {
        hooks_.report(e.Report());
        EndProgram(1);
    }
    --depth_;
    if (depth_ == 0) {
        EndIfNoWindowLeft();
        if (!ended_)
            activation_->ProcedureReturned();
    }
}

void Runtime::TitleBarClose(Form& form) {
    if (ended_)
        return;
    Destroy(form);
    if (depth_ == 0)
        EndIfNoWindowLeft();
}

void Runtime::Report(const QString& text) { hooks_.report(text); }

void Runtime::Load(Form& form) {
    const Window& layout = form.layout();
    form.window_ = BuildWindow(layout, HasText(layout) ? &fonts_() : nullptr, form.palettes_);
    form.window_->setGeometry(PlaceWindow(layout, arrangement_, hooks_.screen()));
    form.window_->onTitleBarClose = [this, &form] { TitleBarClose(form); };
    loaded_.push_back(&form);
    form.BindEvents();
}

void Runtime::Destroy(Form& form) {
    if (!form.window_)
        return;
    std::erase(loaded_, &form);
    FormWindow* w = std::exchange(form.window_, nullptr);
    w->onTitleBarClose = nullptr;
    activation_->Unload(w, depth_ > 0);
}

void Runtime::OnClick(Form& form, ControlName control, std::function<void()> procedure) {
    QWidget* w = form.Control(control);
    auto run = [this, procedure = std::move(procedure)] { RunProcedure(procedure); };
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        QObject::connect(button, &QAbstractButton::clicked, button, run);
    else if (auto* label = qobject_cast<ClickLabel*>(w))
        QObject::connect(label, &ClickLabel::clicked, label, run);
    else
        qFatal("no clickable control %s", qPrintable(ToString(control)));
}

void Runtime::OnKeyDown(Form& form, ControlName control, std::function<void(KeyCode)> procedure) {
    QWidget* w = form.Control(control);
    if (!w)
        qFatal("no control %s", qPrintable(ToString(control)));
    auto handler = [this, procedure = std::move(procedure)](const QKeyEvent& e) {
        const KeyCode key = VirtualKey(e);
        RunProcedure([&] { procedure(key); });
    };
    w->installEventFilter(new KeyDownFilter(w, std::move(handler)));
}

void Runtime::EndProgram(int exitCode) {
    if (ended_)
        return;
    ended_ = true;
    for (Form* f : std::vector(loaded_))
        Destroy(*f);
    activation_->End();
    hooks_.endProgram(exitCode);
}

void Runtime::EndIfNoWindowLeft() {
    if (!ended_ && loaded_.empty())
        EndProgram(0);
}

void WindowSwitch(Runtime& runtime, Form& source, Form& target) {
    runtime.Show(target);
    runtime.Unload(source);
}

} // namespace platform
