// The windowing runtime: the program's windows and their controls, checked
// calls, the event-procedure frame, error reports and the end of the program.
#pragma once

#include "platform/errors.h"
#include "platform/loader.h"
#include "platform/placement.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace platform {

class Activation;
class Form;

// A control of a window by name, with its element number in a control array.
struct ControlName {
    const char* name;
    int index = -1;
};
QString ToString(ControlName control);

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

    // Takes `form` into the program: the runtime loads, shows, unloads and, at
    // its own end, destroys it.
    Form& Adopt(std::unique_ptr<Form> form);

    // Shows a run-time error report; the program goes on.
    void Report(const QString& text);

    // The frame of every event procedure: errors stop the procedure and are
    // reported here; the program ends once the last shown window has gone.
    void RunProcedure(const std::function<void()>& procedure);
    // The title-bar close button: unloads the window, outside any procedure.
    void TitleBarClose(Form& form);

    int ShownCount() const;
    // True while keys typed after a procedure are kept for the window it activated.
    bool HoldingActivation() const;
    // Whether `window` is unloaded by a procedure while it had the focus and
    // kept until the window the procedure activates has it, so that the keys
    // typed meanwhile go there (on the screen, or hidden and not yet destroyed).
    bool Retiring(const QWidget* window) const;

    // The windows' fonts, asked whenever a window with text is built.
    const LoaderFonts& Fonts() { return fonts_(); }

    // The client area a window opens in, placed among all the program's windows.
    QRect WindowRect(const Window& layout) const;

private:
    template <class Op> void Call(Member member, const char* interfaceId, const QString& object, Op&& op);
    void EndProgram(int exitCode);
    void EndIfNoWindowLeft();

    std::vector<const Window*> arrangement_;
    std::function<const LoaderFonts&()> fonts_;
    RuntimeHooks hooks_;
    // Which window is active after a procedure, and where keys typed meanwhile go.
    std::unique_ptr<Activation> activation_;
    int depth_ = 0;
    bool ended_ = false;
    // Last, so that the windows go first.
    std::vector<std::unique_ptr<Form>> forms_;
};

// Shows `target`, then unloads `source`: one window is always shown.
void WindowSwitch(Runtime& runtime, Form& source, Form& target);

} // namespace platform
