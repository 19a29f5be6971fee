// The material sheet: shear and tensile strengths of thirteen sheet materials.
#pragma once

#include <QString>

#include <span>

class QPainter;

namespace ui {

struct Material {
    const char* name;
    const char* shear;   // 抗剪强度
    const char* tensile; // 抗拉强度
};

inline constexpr int kSheetWidth = 380;
inline constexpr int kSheetHeight = 370;

// The header row and the thirteen materials, top to bottom.
std::span<const Material> SheetRows();
// y of the fifteen horizontal rules; x of the frame and the column rules.
std::span<const int> SheetRuleRows();
std::span<const int> SheetRuleColumns();
const char* SheetNote();

// The sheet as text for screen readers: one line a material, each value named
// by its column head, then the note.
QString SheetText();

// Draws the sheet at its natural size from (0, 0) in the painter's font family.
void DrawMaterialSheet(QPainter& painter);

} // namespace ui
