// The main menu's layout: a banner with four picture buttons. In a file of its
// own, so that the start-up floor (bench/startup_bare.cpp) takes the menu's
// place and size from it without linking the program: linked with the ui
// library, the floor's start-up took 26.59 M instructions instead of 26.11 M.
#include "ui/program_windows.h"

namespace ui {

namespace {

using namespace platform;

constexpr Picture kBanner{":/assets/banner.png", nullptr, 300, 160,
                          "蓝色渐变横幅，左下角为白色题字“Tamberlo制作”。"};
constexpr Picture kBending{":/assets/button_bending.png", nullptr, 80, 30, nullptr};
constexpr Picture kBlanking{":/assets/button_blanking.png", nullptr, 80, 30, nullptr};
constexpr Picture kDrawing{":/assets/button_drawing.png", nullptr, 80, 30, nullptr};
constexpr Picture kClose{":/assets/button_close.png", nullptr, 80, 30, nullptr};

constexpr QRgb kWhite = qRgb(255, 255, 255);

// clang-format off
constexpr Control kControls[] = {
//   tab  name        idx  kind          caption  left   top  width height font      fore     back     picture     spoken name
    {  0, "Command1", -1, Kind::Button, "",       122,  240, 1220,  495, kDefault, kSystem, kWhite,  &kBending,  "折弯力计算"},
    {  1, "Command2", -1, Kind::Button, "",      1616,  248, 1220,  510, kDefault, kSystem, kSystem, &kBlanking, "冲裁力计算"},
    {  2, "Command3", -1, Kind::Button, "",      3120,  248, 1220,  510, kDefault, kSystem, kSystem, &kDrawing,  "拉伸力计算"},
    {  3, "Command4", -1, Kind::Button, "",      3120, 1680, 1220,  510, kDefault, kSystem, kSystem, &kClose,    "关闭"},
};
// clang-format on

constexpr Window kLayout{"Form4", "冲压设备选用辅助工具试用版", 4500,     2385,     11460, 1485,
                         true,    qRgb(128, 255, 255),          &kBanner, kControls};

} // namespace

const Window& MenuLayout() { return kLayout; }

} // namespace ui
