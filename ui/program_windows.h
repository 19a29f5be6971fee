// The five windows of the program: the calculators' tables, the other layouts and their forms.
#pragma once

#include "platform/runtime.h"
#include "ui/calculator.h"

namespace ui {

class Project;

const Calculator& BlankingCalculator(); // Form1
const Calculator& DrawingCalculator();  // Form2
const Calculator& BendingCalculator();  // Form3

const platform::Window& MenuLayout(); // Form4
inline constexpr platform::ControlName kMenuBendingButton{"Command1"};
inline constexpr platform::ControlName kMenuBlankingButton{"Command2"};
inline constexpr platform::ControlName kMenuDrawingButton{"Command3"};
inline constexpr platform::ControlName kMenuCloseButton{"Command4"};
class MenuForm : public platform::Form {
public:
    explicit MenuForm(Project& project);

private:
    void BindEvents() override;
    Project& project_;
};

const platform::Window& MaterialLayout(); // Form5
inline constexpr platform::ControlName kSheetCloseButton{"Command1"};
class MaterialForm : public platform::Form {
public:
    explicit MaterialForm(Project& project);

private:
    void BindEvents() override;
    Project& project_;
};

} // namespace ui
