#include "ui/materialsheet.h"

#include <QPainter>
#include <QStringList>

namespace ui {

namespace {

// clang-format off
constexpr Material kRows[] = {
    {"材料名称",                   "抗剪强度", "抗拉强度"},
    {"电工硅钢（DT1、DT2、DT3）",    "190",      "230"},
    {"普通碳素钢（DR530-50）",       "260~500",  "320~620"},
    {"碳素结构钢（45、50、70）",     "200~600",  "230~760"},
    {"碳素工具钢（T7~T12）",         "600~950",  "750~1200"},
    {"优质弹簧钢（60Si2Mn）",        "720~960",  "900~1200"},
    {"不锈钢（1Cr13、1Cr18Ni9）",    "320~550",  "400~1100"},
    {"铝（L2、L3、L5、L7）",         "80~100",   "75~150"},
    {"铝锰合金（LF21）",             "70~140",   "110~200"},
    {"铝镁合金（LF2）",              "170~350",  "250~500"},
    {"镁锰合金（MB1、MB8）",         "120~200",  "170~250"},
    {"硬铝（LY2）",                  "105~320",  "150~460"},
    {"纯铜（T1、T2、T3）",           "160~240",  "200~300"},
    {"黄铜（H62、H68）",             "260~420",  "300~400"},
};
// clang-format on

constexpr int kRuleRows[] = {6, 27, 49, 70, 92, 113, 135, 156, 178, 199, 220, 242, 263, 285, 306};
constexpr int kRuleColumns[] = {17, 206, 288, 360}; // frame left, two column rules, frame right
constexpr int kNameInset = 6; // glyph bearings put the ink about 8 pixels inside the frame
constexpr int kTextPixels = 13;
constexpr QRect kNoteBox{25, 332, 186, 13}; // x 25..210, y 332..344
constexpr const char* kNote = "拉伸件安全系数一般取 0.5~0.8";

} // namespace

std::span<const Material> SheetRows() { return kRows; }
std::span<const int> SheetRuleRows() { return kRuleRows; }
std::span<const int> SheetRuleColumns() { return kRuleColumns; }
const char* SheetNote() { return kNote; }

QString SheetText() {
    const Material& head = kRows[0];
    QStringList lines;
    for (const Material& m : std::span(kRows).subspan(1))
        lines << QStringLiteral("%1：%2 %3，%4 %5")
                     .arg(QString::fromUtf8(m.name), QString::fromUtf8(head.shear),
                          QString::fromUtf8(m.shear), QString::fromUtf8(head.tensile),
                          QString::fromUtf8(m.tensile));
    lines << QString::fromUtf8(kNote);
    return lines.join(QLatin1Char('\n'));
}

void DrawMaterialSheet(QPainter& painter) {
    painter.fillRect(QRect(0, 0, kSheetWidth, kSheetHeight), Qt::white);
    const int left = kRuleColumns[0], right = kRuleColumns[3];
    const int top = kRuleRows[0], bottom = kRuleRows[std::size(kRuleRows) - 1];
    // Each rule fills its one-pixel row or column, so at any device pixel ratio
    // it covers whole device pixels of exactly that pixel.
    for (int y : kRuleRows)
        painter.fillRect(QRect(left, y, right - left + 1, 1), Qt::black);
    for (int x : kRuleColumns)
        painter.fillRect(QRect(x, top, 1, bottom - top + 1), Qt::black);
    painter.setPen(Qt::black);

    QFont font = painter.font();
    font.setPixelSize(kTextPixels);
    font.setWeight(QFont::Normal);
    painter.setFont(font);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    for (std::size_t row = 0; row < std::size(kRows); ++row) {
        const int y0 = kRuleRows[row] + 1, y1 = kRuleRows[row + 1];
        const Material& m = kRows[row];
        const QRect name(left + kNameInset, y0, kRuleColumns[1] - left - kNameInset, y1 - y0);
        const QRect shear(kRuleColumns[1] + 1, y0, kRuleColumns[2] - kRuleColumns[1] - 1, y1 - y0);
        const QRect tensile(kRuleColumns[2] + 1, y0, right - kRuleColumns[2] - 1, y1 - y0);
        const int nameAlign = row == 0 ? Qt::AlignCenter : int(Qt::AlignLeft | Qt::AlignVCenter);
        painter.drawText(row == 0 ? QRect(left + 1, y0, kRuleColumns[1] - left - 1, y1 - y0) : name,
                         nameAlign, QString::fromUtf8(m.name));
        painter.drawText(shear, Qt::AlignCenter, QString::fromUtf8(m.shear));
        painter.drawText(tensile, Qt::AlignCenter, QString::fromUtf8(m.tensile));
    }
    painter.drawText(kNoteBox.adjusted(0, -3, 0, 3), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromUtf8(kNote));
}

} // namespace ui
