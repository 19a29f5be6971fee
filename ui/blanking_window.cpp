#include "ui/program_windows.h"

namespace ui {

namespace {

using namespace platform;

constexpr Picture kPicture{
    ":/assets/blanking.png", nullptr, 200, 160,
    "冲裁件示意图：上为板料剖面，中间为冲孔，左端标注料厚 t；下为带圆角的矩形平面图，中心有圆孔。"};

constexpr QRgb kBlack = qRgb(0, 0, 0), kWhite = qRgb(255, 255, 255), kRed = qRgb(255, 0, 0);

// clang-format off
constexpr Control kControls[] = {
//   tab  name        idx  kind           caption or text          left   top  width height font          fore     back
    {  0, "Label1",   -1, Kind::Label,   "冲裁截面周长L",           240,  480, 1335,  255, kDefault},
    {  1, "Text1",    -1, Kind::TextBox, "",                       1680,  360,  855,  400, kSongBold,    kSystem, kSystem, nullptr, "冲裁截面周长L mm"},
    {  2, "Text2",    -1, Kind::TextBox, "",                       1680,  960,  855,  400, kSongBold,    kSystem, kSystem, nullptr, "材料厚度t mm"},
    {  3, "Text3",    -1, Kind::TextBox, "",                       1680, 1560,  855,  400, kSongBold,    kSystem, kSystem, nullptr, "抗剪切强度τb Mpa"},
    {  4, "Command5", -1, Kind::Button,  "查询材料抗剪强度τb",      240, 2280, 2295,  495, kDefault},
    {  5, "Command1", -1, Kind::Button,  "计算",                    360, 4920,  975,  495, kDefault},
    {  6, "Command2", -1, Kind::Button,  "清除",                   1920, 4920,  975,  495, kDefault},
    {  7, "Command4", -1, Kind::Button,  "返回",                   3480, 4920,  975,  495, kDefault},
    {  8, "Command3", -1, Kind::Button,  "关闭",                   5040, 4920,  975,  495, kDefault},
    {  9, "Label2",   -1, Kind::Label,   "材料厚度t",               240, 1080,  855,  255, kDefault},
    { 10, "Label3",   -1, Kind::Label,   "抗剪切强度τb",            240, 1800, 1335,  255, kDefault},
    // "拉伸力" (drawing force) labels the result here too: the program's own text, kept as it is.
    { 11, "Label5",   -1, Kind::Label,   "拉伸力",                 1560, 3840,  615,  255, kDefault},
    { 12, "Text5",    -1, Kind::TextBox, "",                       2520, 3720, 1575,  400, kSongBold,    kBlack,  kWhite,  nullptr, "冲裁力 N"},
    { 13, "Label6",   -1, Kind::Label,   kLinkCaption.data(),       240, 3120, 2895,  255, kDefault,     kRed},
    { 14, "Label9",    0, Kind::Label,   "mm",                     2760,  480,  375,  255, kSongRegular},
    { 15, "Label10",  -1, Kind::Label,   "mm",                     2760, 1080,  375,  255, kSongRegular},
    { 16, "Label9",    1, Kind::Label,   "N",                      4200, 3840,  255,  255, kSongRegular},
    // "Mpa", not "MPa": the program's own unit text, kept as it is.
    { 17, "Label9",    2, Kind::Label,   "Mpa",                    2760, 1680,  375,  255, kSongRegular},
    { 18, "Picture1", -1, Kind::PictureBox, "",                    3240,  360, 2895, 2415, kDefault,     kSystem, kSystem, &kPicture},
};
// clang-format on

// Two blanks before the date, three in the other calculators' titles: kept as the program has them.
constexpr Window kLayout{
    "Form1",  "冲裁力计算软件——Tamberlo制作  2012-3-16", 6300, 5700, 11535, 1485, true, kSystem, nullptr,
    kControls};

constexpr const char* kPerimeter = "Text1";     // L
constexpr const char* kThickness = "Text2";     // t
constexpr const char* kShearStrength = "Text3"; // τb
constexpr const char* kInputs[] = {kPerimeter, kThickness, kShearStrength};

constexpr ArrowMoves kArrows[] = {
    // field, down, up, left
    {kPerimeter, kThickness, nullptr, nullptr},
    {kThickness, kShearStrength, kPerimeter, nullptr},
    {kShearStrength, kMaterialButton.name, kThickness, nullptr},
};

constexpr Calculator kCalculator{kLayout, calc::Formula::Blanking, kInputs, kShearStrength, kArrows};

} // namespace

const Calculator& BlankingCalculator() { return kCalculator; }

} // namespace ui
