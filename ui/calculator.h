// The common frame of the three calculator windows.
#pragma once

#include "calc/fpstatus.h"
#include "platform/form.h"

#include <span>
#include <string_view>

namespace ui {

class Project;

// The link label's caption: "更多免费软件" followed by the maker's web host.
inline constexpr std::string_view kLinkCaption = "更多免费软件tamberlo.example";
inline constexpr std::string_view kMakerHost = kLinkCaption.substr(std::string_view("更多免费软件").size());

// Focus moves of the arrow keys from one input field; null where nothing moves.
struct ArrowMoves {
    const char* field;
    const char* down;
    const char* up;
    const char* left;
};

// What makes one calculator window: its layout, its input fields in reading
// order, which field feeds which operand of its formula, its look-up field.
struct Calculator {
    const platform::Window& layout;
    std::span<const char* const> inputs;
    float (*formula)(std::span<const float> values, calc::FpStatus& status);
    const char* lookupField;
    std::span<const ArrowMoves> arrows;
};

class CalculatorForm : public platform::Form {
public:
    CalculatorForm(Project& project, const Calculator& calculator);

private:
    void BindEvents() override;
    void Calculate();
    void Clear();
    void Back();
    void OpenMaterialTable();
    void OpenWebSite();
    void ArrowKey(const ArrowMoves& moves, int& keyCode, int shift);

    Project& project_;
    const Calculator& calculator_;
};

} // namespace ui
