// Material properties window: the material sheet and a close button.
#include "ui/materialsheet.h"
#include "ui/program_windows.h"
#include "ui/project.h"

namespace ui {

namespace {

using namespace platform;

constexpr Picture kSheet{nullptr, DrawMaterialSheet, kSheetWidth, kSheetHeight,
                         "材料性能表：十三种常用板料的抗剪强度和抗拉强度。"};

// clang-format off
constexpr Control kControls[] = {
//   tab  name        idx  kind          caption  left   top  width height
    {  0, "Command1", -1, Kind::Button, "关闭",   4560, 5040,  855,  375},
};
// clang-format on

constexpr Window kLayout{"Form5", "材料性能", 5715, 5565, 5730, 1455, false, kSystem, &kSheet, kControls};

} // namespace

const Window& MaterialLayout() { return kLayout; }

MaterialForm::MaterialForm(Project& project) : Form(kLayout), project_(project) {}

void MaterialForm::BindEvents() {
    project_.runtime.OnClick(*this, kSheetCloseButton, [this] { project_.runtime.Unload(*this); });
    // The sheet is a picture: screen readers get its table as text.
    window()->setAccessibleDescription(QString::fromUtf8(kSheet.description) + QLatin1Char('\n') +
                                       SheetText());
}

} // namespace ui
