// One calculator window's calculation, from its field texts to the result text.
#pragma once

#include "calc/numconv.h"

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace calc {

enum class Formula { Blanking, Drawing, Bending };

// The number of input fields of a formula's window: L, t, τb for blanking;
// L, t, σb, k for drawing; B, t, σb, R for bending (in reading order).
constexpr std::size_t FieldCount(Formula formula) { return formula == Formula::Blanking ? 3 : 4; }
inline constexpr std::size_t kMaxFieldCount = 4;
static_assert(FieldCount(Formula::Blanking) <= kMaxFieldCount &&
              FieldCount(Formula::Drawing) <= kMaxFieldCount &&
              FieldCount(Formula::Bending) <= kMaxFieldCount);

// Reads each field in order (`status` cleared, then the text converted and
// narrowed), runs the formula, and writes the result's text into `out`;
// returns its length. A fault check that sees a fault raises
// FloatingPointError, and nothing is written. Allocates nothing.
// `fields` holds the FieldCount(formula) texts as fetched.
std::size_t Calculate(Formula formula, std::span<const std::u16string_view> fields, FpStatus& status,
                      std::span<char16_t, kSingleTextCapacity> out);

// What 计算 gives for a window's field texts: the result's text, or, when a
// fault check saw a fault, its flags and check and no text.
struct Result {
    std::array<char16_t, kSingleTextCapacity> text;
    std::size_t size = 0;
    bool fault = false;
    unsigned flags = 0;
    int check = 0;
    std::u16string_view Text() const { return {text.data(), size}; }
};

// Calculate on the first FieldCount(formula) of `fields`, the texts as
// fetched, with a fault returned instead of raised: the one way from a
// window's texts to its result. Fewer texts are refused with std::invalid_argument.
Result Calculate(Formula formula, std::span<const std::u16string> fields, FpStatus& status);

} // namespace calc
