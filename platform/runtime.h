// The windowing runtime: the program's windows and their controls, checked
// calls, the event-procedure frame, error reports and the end of the program.
#pragma once

#include "platform/controls.h"
#include "platform/errors.h"
#include "platform/loader.h"
#include "platform/placement.h"

#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace platform {

class Activation;

// A control of a window by name, with its element number in a control array.
struct ControlName {
    const char* name;
    int index = -1;
};
QString ToString(ControlName control);

// The window system's codes of the keys a key-down procedure tells apart.
enum class KeyCode { Other = 0, Left = 37, Up = 38, Right = 39, Down = 40 };

// A window of the program: its layout and, while loaded, its on-screen window.
// Creating one loads nothing; the runtime loads it on Show and unloads it.
class Form {
public:
    explicit Form(const Window& layout) : layout_(layout) {}
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const Window& layout() const { return layout_; }
    QString Name() const { return QString::fromLatin1(layout_.name); }
    bool IsShown() const { return !window_.isNull(); }
    // The on-screen window, or null while unloaded.
    FormWindow* window() const { return window_.data(); }
    // A control of the on-screen window, or null while unloaded.
    QWidget* Control(ControlName control) const;

private:
    friend class Runtime;
    // Binds the event procedures to a freshly loaded window.
    virtual void BindEvents() = 0;

    const Window& layout_;
    QPointer<FormWindow> window_;
    StylePalettes palettes_; // kept across loads
};

// What the runtime does outside the program; tests replace these.
struct RuntimeHooks {
    // A failure status to return instead of making the call, or kOk to make it.
    std::function<Status(Member, const QString& object)> failCall;
    // Shows a run-time error report.
    std::function<void(const QString& text)> report;
    // Ends the process's event loop with an exit code.
    std::function<void(int exitCode)> endProgram;
    // Opens a web page in the desktop's browser; false if it could not.
    std::function<bool(const QUrl&)> openUrl;
    // The screen windows open on: the primary screen.
    std::function<ScreenArea()> screen;
    // Where the pointer is on the screen.
    std::function<QPoint()> pointer;
};

class Runtime {
public:
    // `arrangement`: all the program's windows, which open placed together.
    // `fonts`: the windows' fonts, asked whenever a window with text is built.
    Runtime(std::vector<const Window*> arrangement, std::function<const LoaderFonts&()> fonts,
            RuntimeHooks hooks = {});
    ~Runtime();
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    // Window operations. Each is a checked call: a failure raises CheckedCallError.
    void Show(Form& form);
    void Unload(Form& form);
    QString FetchText(Form& form, ControlName control);
    void SetText(Form& form, ControlName control, const QString& text);
    void SetFocus(Form& form, ControlName control);
    // Ends the program at once: every window closes and nothing after it runs.
    [[noreturn]] void End();
    // Opens the http or https address of a command line ("explorer.exe URL"
    // or the bare URL) in the desktop's browser, which opens its window as it
    // likes; anything else is refused with a LaunchError, and nothing is run.
    void Launch(std::u16string_view commandLine);
    // Shows a run-time error report; the program goes on.
    void Report(const QString& text);

    // Event procedures of a loaded form's controls, run in the procedure frame.
    void OnClick(Form& form, ControlName control, std::function<void()> procedure);
    // The procedure gets the key's code; the key goes on to the control.
    void OnKeyDown(Form& form, ControlName control, std::function<void(KeyCode)> procedure);

    // The frame of every event procedure: errors stop the procedure and are
    // reported here; the program ends once the last shown window has gone.
    void RunProcedure(const std::function<void()>& procedure);

private:
    template <class Op> void Call(Member member, const char* interfaceId, const QString& object, Op&& op);
    void Load(Form& form);
    void Destroy(Form& form);
    // The title-bar close button: unloads the window, outside any procedure.
    void TitleBarClose(Form& form);
    void EndProgram(int exitCode);
    void EndIfNoWindowLeft();

    std::vector<const Window*> arrangement_;
    std::function<const LoaderFonts&()> fonts_;
    RuntimeHooks hooks_;
    std::unique_ptr<Activation> activation_;
    std::vector<Form*> loaded_;
    int depth_ = 0;
    bool ended_ = false;
};

// Shows `target`, then unloads `source`: one window is always shown.
void WindowSwitch(Runtime& runtime, Form& source, Form& target);

} // namespace platform
