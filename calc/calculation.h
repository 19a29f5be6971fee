// One calculator window's calculation, from its field texts to the result text.
#pragma once

#include "calc/numconv.h"

#include <cstddef>
#include <span>
#include <string_view>

namespace calc {

enum class Formula { Blanking, Drawing, Bending };

// The number of input fields of a formula's window: L, t, τb for blanking;
// L, t, σb, k for drawing; B, t, σb, R for bending (in reading order).
std::size_t FieldCount(Formula formula);

// Reads each field in order (`status` cleared, then the text converted and
// narrowed), runs the formula, and writes the result's text into `out`;
// returns its length. A fault check that sees a fault raises
// FloatingPointError, and nothing is written. Allocates nothing.
// `fields` holds the FieldCount(formula) texts as fetched.
std::size_t Calculate(Formula formula, std::span<const std::u16string_view> fields, FpStatus& status,
                      std::span<char16_t, kSingleTextCapacity> out);

} // namespace calc
