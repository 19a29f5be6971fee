// Main menu window: its buttons open the calculators and end the program.
#include "ui/program_windows.h"
#include "ui/project.h"

namespace ui {

MenuForm::MenuForm(Project& project) : Form(MenuLayout()), project_(project) {}

void MenuForm::BindEvents() {
    for (auto [button, calculator] :
         {std::pair{kMenuBendingButton, &project_.Form3}, std::pair{kMenuBlankingButton, &project_.Form1},
          std::pair{kMenuDrawingButton, &project_.Form2}})
        project_.runtime.OnClick(*this, button,
                                 [this, calculator] { WindowSwitch(project_.runtime, *this, *calculator); });
    project_.runtime.OnClick(*this, kMenuCloseButton, [this] { project_.runtime.End(); });
}

} // namespace ui
