// calc and the exact model side by side, each giving an Outcome for the same
// inputs: what the reference test and the fuzz targets compare.
#pragma once

#include "ieee_model.h"

#include "calc/calculation.h"

#include <array>
#include <string>
#include <vector>

namespace reference {

// calc's flags as the model's; any other calc flag shows up as a mismatch.
unsigned FromCalcFlags(unsigned flags);

// Operands in field order; for blanking, v[3] is the coefficient K.
using Operands = std::array<float, 4>;

// The formula on a status that holds `pending` already, in the model and in calc.
Outcome ModelFormula(calc::Formula formula, const Operands& v, unsigned pending);
Outcome CalcFormula(calc::Formula formula, const Operands& v, unsigned pending);

// A window's whole calculation from its field texts (the first calc::FieldCount of
// `fields`): in the model, fed from the reference reading of the texts, and
// in calc, its result as the window shows it (see Shown).
Outcome ModelChain(calc::Formula formula, const std::vector<std::u16string>& fields);
Outcome CalcChain(calc::Formula formula, const std::vector<std::u16string>& fields);

} // namespace reference
