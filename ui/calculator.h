// The common frame of the three calculator windows.
#pragma once

#include "calc/calculation.h"
#include "platform/runtime.h"

#include <span>
#include <string_view>

namespace ui {

class Project;

// The report of a floating-point error for the flags a fault check saw.
QString FloatingPointReport(unsigned flags);

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

// Controls every calculator window has, by their role.
inline constexpr platform::ControlName kFirstField{"Text1"};
inline constexpr platform::ControlName kFirstCaption{"Label1"};
inline constexpr platform::ControlName kResultCaption{"Label5"};
inline constexpr platform::ControlName kResultField{"Text5"};
inline constexpr platform::ControlName kCalculateButton{"Command1"};
inline constexpr platform::ControlName kClearButton{"Command2"};
inline constexpr platform::ControlName kCloseButton{"Command3"};
inline constexpr platform::ControlName kBackButton{"Command4"};
inline constexpr platform::ControlName kMaterialButton{"Command5"};
inline constexpr platform::ControlName kWebLink{"Label6"};
inline constexpr platform::ControlName kPicture{"Picture1"};

// What makes one calculator window: its layout, its formula, its input fields
// in the formula's reading order, its look-up field and its arrow-key moves.
struct Calculator {
    // A window has an input field for each of its formula's operands, no more and no fewer.
    template <std::size_t N, std::size_t M>
    consteval Calculator(const platform::Window& layout, calc::Formula formula,
                         const char* const (&inputs)[N], const char* lookupField,
                         const ArrowMoves (&arrows)[M])
        : layout(layout), formula(formula), inputs(inputs), lookupField(lookupField), arrows(arrows) {
        if (N != calc::FieldCount(formula))
            throw "a calculator's input fields are its formula's operands";
    }

    const platform::Window& layout;
    calc::Formula formula;
    std::span<const char* const> inputs;
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
    void OpenMaterialTable();
    void OpenWebSite();
    void ArrowKey(const ArrowMoves& moves, platform::KeyCode key);

    Project& project_;
    const Calculator& calculator_;
    calc::FpStatus status_;
};

} // namespace ui
