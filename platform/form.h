// A window kind: its layout and its one instance, which the runtime that
// adopted it loads by Show and destroys by Unload.
#pragma once

#include "platform/controls.h"
#include "platform/layout.h"
#include "platform/runtime.h"

#include <QPointer>

#include <functional>

class QWidget;

namespace platform {

// The window system's codes of the keys a key-down procedure tells apart.
enum class KeyCode { Other = 0, Left = 37, Up = 38, Right = 39, Down = 40 };

class Form {
public:
    Form(Runtime& runtime, const Window& layout);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    Runtime& runtime() const { return runtime_; }
    const Window& layout() const { return layout_; }
    QString Name() const { return QString::fromLatin1(layout_.name); }
    bool IsShown() const { return !window_.isNull(); }
    // The on-screen window, or null while unloaded.
    FormWindow* window() const { return window_.data(); }
    // A control of the on-screen window, or null while unloaded.
    QWidget* Control(ControlName control) const;

protected:
    // Binds the event procedures to a freshly loaded window.
    virtual void BindEvents() = 0;
    void OnClick(ControlName control, std::function<void()> procedure);
    // The procedure gets the key's code; the key goes on to the control.
    void OnKeyDown(ControlName control, std::function<void(KeyCode)> procedure);

private:
    friend class Runtime;
    void Load();
    // Unloads the window. Where `retire` is given, a window that has the focus
    // stays on the screen and goes to `retire`, which destroys it later.
    void Destroy(const std::function<void(QWidget*)>& retire = {});

    Runtime& runtime_;
    const Window& layout_;
    QPointer<FormWindow> window_;
    StylePalettes palettes_; // kept across loads
};

} // namespace platform
