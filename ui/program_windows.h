// The five windows of the program: the calculators' tables, the other layouts and their forms.
#pragma once

#include "platform/form.h"
#include "ui/calculator.h"

#include <memory>

namespace ui {

class Project;

const Calculator& BlankingCalculator(); // Form1
const Calculator& DrawingCalculator();  // Form2
const Calculator& BendingCalculator();  // Form3
// The calculator whose layout table this is; null for the menu and the sheet.
const Calculator* CalculatorOf(const platform::Window& layout);

const platform::Window& MenuLayout(); // Form4
inline constexpr platform::ControlName kMenuBendingButton{"Command1"};
inline constexpr platform::ControlName kMenuBlankingButton{"Command2"};
inline constexpr platform::ControlName kMenuDrawingButton{"Command3"};
inline constexpr platform::ControlName kMenuCloseButton{"Command4"};
std::unique_ptr<platform::Form> MakeMenuForm(Project& project);

const platform::Window& MaterialLayout(); // Form5
inline constexpr platform::ControlName kSheetCloseButton{"Command1"};
std::unique_ptr<platform::Form> MakeMaterialForm(Project& project);

} // namespace ui
