// Text to number and single to text, as the calculator windows show them.
#pragma once

#include "calc/fpstatus.h"

#include <span>
#include <string>
#include <string_view>

namespace calc {

// Reads the longest leading number of `text` and rounds it to the nearest double.
//
// Leading blanks (space, tab, U+3000) are skipped. A number is an optional sign,
// digits with at most one '.', and an optional exponent ('e' or 'E', optional
// sign, digits). Full-width digits, '．', '＋', '－', 'ｅ', 'Ｅ' read as their ASCII
// forms, and the ideographic full stops '。' (U+3002) and '｡' (U+FF61) as '.'.
// Whatever follows the number is ignored; text with no number gives 0.
// A value beyond the double range gives an infinity of its sign and raises
// overflow; one below it gives the subnormal or zero it rounds to.
double TextToNumber(std::u16string_view text, FpStatus& status);

// The shortest text that reads back to the same single, laid out as
// 1e-6 <= |x| < 1e21 plain decimal, otherwise d.ddde+x / d.ddde-x.
// Both zeros give "0"; the infinities give "∞" and "-∞".
std::u16string SingleToText(float value);

// The same text written into `out`; returns its length. Allocates nothing.
inline constexpr std::size_t kSingleTextCapacity = 32;
std::size_t SingleToText(float value, std::span<char16_t, kSingleTextCapacity> out);

} // namespace calc
