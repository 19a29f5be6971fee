// Main menu window: a banner with four picture buttons.
#include "ui/project.h"
#include "ui/program_windows.h"

namespace ui {

namespace {

using namespace platform;

constexpr Picture kBanner{":/assets/banner.png", nullptr, 300, 160, "蓝色渐变横幅，左下角为白色题字“Tamberlo制作”。"};
constexpr Picture kBending{":/assets/button_bending.png", nullptr, 80, 30, nullptr};
constexpr Picture kBlanking{":/assets/button_blanking.png", nullptr, 80, 30, nullptr};
constexpr Picture kDrawing{":/assets/button_drawing.png", nullptr, 80, 30, nullptr};
constexpr Picture kClose{":/assets/button_close.png", nullptr, 80, 30, nullptr};

constexpr Colour kWhite = Rgb(255, 255, 255);

// clang-format off
constexpr Control kControls[] = {
//   tab  name        idx  kind          caption  left   top  width height font      fore     back     picture     spoken name
    {  0, "Command1", -1, Kind::Button, "",       122,  240, 1220,  495, kDefault, kSystem, kWhite,  &kBending,  "折弯力计算"},
    {  1, "Command2", -1, Kind::Button, "",      1616,  248, 1220,  510, kDefault, kSystem, kSystem, &kBlanking, "冲裁力计算"},
    {  2, "Command3", -1, Kind::Button, "",      3120,  248, 1220,  510, kDefault, kSystem, kSystem, &kDrawing,  "拉伸力计算"},
    {  3, "Command4", -1, Kind::Button, "",      3120, 1680, 1220,  510, kDefault, kSystem, kSystem, &kClose,    "关闭"},
};
// clang-format on

constexpr Window kLayout{"Form4", "冲压设备选用辅助工具试用版", 4500, 2385, 11460, 1485, true, Rgb(128, 255, 255),
                         &kBanner, kControls};

constexpr ControlName kBendingButton{"Command1"};
constexpr ControlName kBlankingButton{"Command2"};
constexpr ControlName kDrawingButton{"Command3"};
constexpr ControlName kMenuCloseButton{"Command4"};

class MenuForm : public Form {
public:
    explicit MenuForm(Project& project) : Form(project.runtime(), kLayout), project_(project) {}

private:
    void BindEvents() override {
        OnClick(kBendingButton, [this] { WindowSwitch(runtime(), project_.Form4(), project_.Form3()); });
        OnClick(kBlankingButton, [this] { WindowSwitch(runtime(), project_.Form4(), project_.Form1()); });
        OnClick(kDrawingButton, [this] { WindowSwitch(runtime(), project_.Form4(), project_.Form2()); });
        OnClick(kMenuCloseButton, [this] { runtime().End(); });
    }

    Project& project_;
};

} // namespace

const Window& MenuLayout() { return kLayout; }

std::unique_ptr<Form> MakeMenuForm(Project& project) { return std::make_unique<MenuForm>(project); }

} // namespace ui
