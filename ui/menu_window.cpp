// Main menu window: its buttons open the calculators and end the program.
#include "ui/program_windows.h"
#include "ui/project.h"

namespace ui {

namespace {

using namespace platform;

class MenuForm : public Form {
public:
    explicit MenuForm(Project& project) : Form(project.runtime(), MenuLayout()), project_(project) {}

private:
    void BindEvents() override {
        OnClick(kMenuBendingButton, [this] { WindowSwitch(runtime(), project_.Form4(), project_.Form3()); });
        OnClick(kMenuBlankingButton, [this] { WindowSwitch(runtime(), project_.Form4(), project_.Form1()); });
        OnClick(kMenuDrawingButton, [this] { WindowSwitch(runtime(), project_.Form4(), project_.Form2()); });
        OnClick(kMenuCloseButton, [this] { runtime().End(); });
    }

    Project& project_;
};

} // namespace

std::unique_ptr<Form> MakeMenuForm(Project& project) { return std::make_unique<MenuForm>(project); }

} // namespace ui
