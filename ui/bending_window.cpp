#include "ui/program_windows.h"

namespace ui {

namespace {

using namespace platform;

constexpr Picture kPicture{
    ":/assets/bending.png", nullptr, 198, 160,
    "弯曲件示意图：上为折弯板条侧视图，标注内圆角 R 和料厚 t；下为板条正视图，右侧标注宽度 B。"};

constexpr QRgb kBlue = qRgb(0, 0, 255), kWhite = qRgb(255, 255, 255), kRed = qRgb(255, 0, 0);

// clang-format off
constexpr Control kControls[] = {
//   tab  name        idx  kind           caption or text          left   top  width height font          fore     back
    {  0, "Label1",   -1, Kind::Label,   "弯曲件宽度B",             120,  480, 1215,  255, kDefault},
    {  1, "Text1",    -1, Kind::TextBox, "",                       1440,  360,  855,  400, kSongBold,    kSystem, kSystem, nullptr, "弯曲件宽度B mm"},
    {  2, "Text2",    -1, Kind::TextBox, "",                       1440,  960,  855,  400, kSongBold,    kSystem, kSystem, nullptr, "材料厚度t mm"},
    {  3, "Text3",    -1, Kind::TextBox, "",                       1440, 1560,  855,  400, kSongBold,    kSystem, kSystem, nullptr, "抗拉强度σb Mpa"},
    {  4, "Text4",    -1, Kind::TextBox, "",                       1440, 2160,  855,  400, kSongBold,    kSystem, kSystem, nullptr, "弯曲圆角R mm"},
    {  5, "Command5", -1, Kind::Button,  "查询材料抗拉强度",         120, 2760, 2535,  495, kDefault},
    {  6, "Command1", -1, Kind::Button,  "计算",                    120, 5040,  975,  495, kDefault},
    {  7, "Command2", -1, Kind::Button,  "清除",                   1800, 5040,  975,  495, kDefault},
    {  8, "Command4", -1, Kind::Button,  "返回",                   3480, 5040,  975,  495, kDefault},
    {  9, "Command3", -1, Kind::Button,  "关闭",                   5160, 5040,  975,  495, kDefault},
    { 10, "Label2",   -1, Kind::Label,   "材料厚度t",               120, 1080,  855,  255, kDefault},
    { 11, "Label3",   -1, Kind::Label,   "抗拉强度σb",              120, 1680, 1095,  255, kDefault},
    { 12, "Label4",   -1, Kind::Label,   "弯曲圆角R",               120, 2280,  975,  255, kDefault},
    // "拉伸力" (drawing force) labels the result here too: the program's own text, kept as it is.
    { 13, "Label5",   -1, Kind::Label,   "拉伸力",                 1800, 4320,  615,  255, kDefault},
    { 14, "Text5",    -1, Kind::TextBox, "",                       2760, 4200, 1575,  400, kSongBold,    kBlue,   kWhite,  nullptr, "折弯力 N"},
    { 15, "Label6",   -1, Kind::Label,   kLinkCaption.data(),       120, 3600, 2895,  255, kDefault,     kRed},
    { 16, "Label9",    0, Kind::Label,   "mm",                     2520,  480,  375,  255, kSongRegular},
    { 17, "Label10",   0, Kind::Label,   "mm",                     2520, 1080,  375,  255, kSongRegular},
    { 18, "Label9",    1, Kind::Label,   "N",                      4440, 4320,  255,  255, kSongRegular},
    // "Mpa", not "MPa": the program's own unit text, kept as it is.
    { 19, "Label9",    2, Kind::Label,   "Mpa",                    2520, 1680,  375,  255, kSongRegular},
    { 20, "Label10",   1, Kind::Label,   "mm",                     2520, 2280,  375,  255, kSongRegular},
    { 21, "Picture1", -1, Kind::PictureBox, "",                    3240,  360, 2895, 2415, kDefault,     kSystem, kSystem, &kPicture},
};
// clang-format on

// "折弯曲力", not "折弯力", and three blanks before the date: the program's own title, kept as it is.
constexpr Window kLayout{
    "Form3",  "折弯曲力计算软件——Tamberlo制作   2012-3-16", 6315, 5850, 11460, 1425, true, kSystem, nullptr,
    kControls};

constexpr const char* kWidth = "Text1";           // B
constexpr const char* kThickness = "Text2";       // t
constexpr const char* kTensileStrength = "Text3"; // σb
constexpr const char* kRadius = "Text4";          // R
constexpr const char* kInputs[] = {kWidth, kThickness, kTensileStrength, kRadius};

constexpr ArrowMoves kArrows[] = {
    // field, down, up, left
    {kWidth, kThickness, nullptr, nullptr},
    {kThickness, kTensileStrength, kWidth, nullptr},
    {kTensileStrength, kRadius, kThickness, nullptr},
    {kRadius, kMaterialButton.name, kTensileStrength, kThickness},
};

constexpr Calculator kCalculator{kLayout, calc::Formula::Bending, kInputs, kTensileStrength, kArrows};

} // namespace

const Calculator& BendingCalculator() { return kCalculator; }

} // namespace ui
