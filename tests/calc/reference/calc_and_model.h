// calc and the exact model side by side, each giving an Outcome for the same
// inputs: what the reference test and the fuzz targets compare.
#pragma once

#include "ieee_model.h"

#include "calc/calculation.h"
#include "calc/forces.h"
#include "calc/fpstatus.h"

#include <array>
#include <bit>
#include <string>
#include <vector>

namespace reference {

// The model's fault flags are calc's; any other calc flag shows up as a mismatch.
static_assert(unsigned(Invalid) == calc::FpInvalid && unsigned(DivByZero) == calc::FpDivByZero &&
              unsigned(Overflow) == calc::FpOverflow);
inline unsigned FromCalcFlags(unsigned flags) {
    return (flags & calc::FpFaultFlags) | (flags & ~calc::FpFaultFlags) << 8;
}

inline Outcome CalcFault(unsigned flags, int check) { return {true, FromCalcFlags(flags), check, 0}; }

// An outcome as the tests write it, with calc's flags: a fault when `check` is set.
inline Outcome Expected(float result, unsigned flags, int check) {
    return check != 0 ? CalcFault(flags, check) : Outcome{false, 0, 0, std::bit_cast<std::uint32_t>(result)};
}

// Operands in field order; for blanking, v[3] is the coefficient K.
using Operands = std::array<float, 4>;

// The formula on a status that holds `pending` already, in the model and in calc.
inline Outcome ModelFormula(calc::Formula formula, const Operands& v, unsigned pending) {
    switch (formula) {
    case calc::Formula::Blanking: return Blanking(v[0], v[1], v[2], v[3], pending);
    case calc::Formula::Drawing: return Drawing(v[0], v[1], v[2], v[3], pending);
    default: return Bending(v[0], v[1], v[2], v[3], pending);
    }
}

inline Outcome CalcFormula(calc::Formula formula, const Operands& v, unsigned pending) {
    calc::FpStatus status;
    status.Raise(pending);
    try {
        float f = 0;
        switch (formula) {
        case calc::Formula::Blanking: f = calc::BlankingForce(v[0], v[1], v[2], v[3], status); break;
        case calc::Formula::Drawing: f = calc::DrawingForce(v[0], v[1], v[2], v[3], status); break;
        case calc::Formula::Bending: f = calc::BendingForce(v[0], v[1], v[2], v[3], status); break;
        }
        return {false, 0, 0, std::bit_cast<std::uint32_t>(f)};
    } catch (const calc::FloatingPointError& e) {
        return CalcFault(e.Flags(), e.Check());
    }
}

// A window's whole calculation from its field texts (the first calc::FieldCount of
// `fields`): in the model, fed from the reference reading of the texts, and
// in calc, its result as the window shows it (see Shown).
inline Outcome ModelChain(calc::Formula formula, const std::vector<std::u16string>& fields) {
    Operands v{0, 0, 0, calc::kBlankingCoefficient};
    unsigned pending = 0;
    for (std::size_t i = 0; i < calc::FieldCount(formula); ++i) {
        const Narrowed field = ReadField(fields[i]);
        v[i] = field.value;
        pending = field.flags; // only the last field's flags survive
    }
    return ModelFormula(formula, v, pending);
}

inline Outcome CalcChain(calc::Formula formula, const std::vector<std::u16string>& fields) {
    calc::FpStatus status;
    const calc::Result r = calc::Calculate(formula, fields, status);
    return r.fault ? CalcFault(r.flags, r.check) : Outcome{false, 0, 0, ShownBits(r.Text())};
}

} // namespace reference
