// On screen k (Text4) stands above σb (Text3).
#include "ui/program_windows.h"

namespace ui {

namespace {

using namespace platform;

constexpr Picture kPicture{":/assets/drawing.png", nullptr, 200, 153,
                           "拉伸件示意图：上为带圆角的浅盒剖面，右上壁标注料厚 t；下为双线圆角矩形平面图。"};

constexpr QRgb kBlue = qRgb(0, 0, 255), kWhite = qRgb(255, 255, 255), kRed = qRgb(255, 0, 0);

// clang-format off
constexpr Control kControls[] = {
//   tab  name        idx  kind           caption or text            left   top  width height font          fore     back
    {  0, "Label1",   -1, Kind::Label,   "截面周长L",                 120,  480,  855,  255, kDefault},
    {  1, "Text1",    -1, Kind::TextBox, "",                         1440,  360,  855,  400, kSongBold,    kSystem, kSystem, nullptr, "截面周长L mm"},
    {  2, "Text2",    -1, Kind::TextBox, "",                         1440,  960,  855,  400, kSongBold,    kSystem, kSystem, nullptr, "材料厚度t mm"},
    {  3, "Text4",    -1, Kind::TextBox, "",                         1440, 1560,  855,  400, kSongBold,    kSystem, kSystem, nullptr, "安全系数k"},
    {  4, "Text3",    -1, Kind::TextBox, "",                         1440, 2160,  855,  400, kSongBold,    kSystem, kSystem, nullptr, "抗拉强度σb Mpa"},
    {  5, "Command5", -1, Kind::Button,  "查询安全系数及材料抗拉强度", 120, 2760, 2655,  495, kDefault},
    {  6, "Command1", -1, Kind::Button,  "计算",                      120, 5160,  975,  495, kDefault},
    {  7, "Command2", -1, Kind::Button,  "清除",                     1800, 5160,  975,  495, kDefault},
    {  8, "Command4", -1, Kind::Button,  "返回",                     3480, 5160,  975,  495, kDefault},
    {  9, "Command3", -1, Kind::Button,  "关闭",                     5040, 5160,  975,  495, kDefault},
    { 10, "Label2",   -1, Kind::Label,   "材料厚度t",                 120, 1080,  855,  255, kDefault},
    { 11, "Label3",   -1, Kind::Label,   "抗拉强度σb",                120, 2280, 1095,  255, kDefault},
    { 12, "Label4",   -1, Kind::Label,   "安全系数k",                 120, 1680,  975,  255, kDefault},
    { 13, "Label5",   -1, Kind::Label,   "拉伸力",                   1680, 4320,  615,  255, kDefault},
    { 14, "Text5",    -1, Kind::TextBox, "",                         2640, 4200, 1575,  400, kSongBold,    kBlue,   kWhite,  nullptr, "拉伸力 N"},
    { 15, "Label6",   -1, Kind::Label,   kLinkCaption.data(),         120, 3600, 2895,  255, kDefault,     kRed},
    { 16, "Label9",    0, Kind::Label,   "mm",                       2520,  480,  375,  255, kSongRegular},
    { 17, "Label10",  -1, Kind::Label,   "mm",                       2520, 1080,  375,  255, kSongRegular},
    { 18, "Label9",    1, Kind::Label,   "N",                        4320, 4320,  255,  255, kSongRegular},
    // "Mpa", not "MPa": the program's own unit text, kept as it is.
    { 19, "Label9",    2, Kind::Label,   "Mpa",                      2520, 2280,  375,  255, kSongRegular},
    { 20, "Picture1", -1, Kind::PictureBox, "",                      3120,  360, 2955, 2295, kDefault,     kSystem, kSystem, &kPicture},
};
// clang-format on

// Three blanks before the date, two in the blanking title: kept as the program has them.
constexpr Window kLayout{
    "Form2",  "拉伸力计算软件——Tamberlo制作   2012-3-16", 6300, 5850, 11460, 1485, true, kSystem, nullptr,
    kControls};

constexpr const char* kPerimeter = "Text1";       // L
constexpr const char* kThickness = "Text2";       // t
constexpr const char* kTensileStrength = "Text3"; // σb
constexpr const char* kSafetyFactor = "Text4";    // k
constexpr const char* kInputs[] = {kPerimeter, kThickness, kTensileStrength, kSafetyFactor};

// Down and Up follow the screen order: perimeter, thickness, safety factor, strength.
constexpr ArrowMoves kArrows[] = {
    // field, down, up, left
    {kPerimeter, kThickness, nullptr, nullptr},
    {kThickness, kSafetyFactor, kPerimeter, nullptr},
    {kSafetyFactor, kTensileStrength, kThickness, nullptr},
    {kTensileStrength, kMaterialButton.name, kSafetyFactor, kPerimeter},
};

constexpr Calculator kCalculator{kLayout, calc::Formula::Drawing, kInputs, kSafetyFactor, kArrows};

} // namespace

const Calculator& DrawingCalculator() { return kCalculator; }

} // namespace ui
