#include "calc_and_model.h"

#include "calc/forces.h"
#include "calc/fpstatus.h"

#include <bit>
#include <string_view>

namespace reference {

namespace {

unsigned ToCalcFlags(unsigned flags) {
    return ((flags & Invalid) ? calc::FpInvalid : 0u) | ((flags & DivByZero) ? calc::FpDivByZero : 0u) |
           ((flags & Overflow) ? calc::FpOverflow : 0u);
}

Outcome Fault(unsigned flags, int check) { return {true, FromCalcFlags(flags), check, 0}; }

Outcome Result(float f) { return {false, 0, 0, std::bit_cast<std::uint32_t>(f)}; }

} // namespace

unsigned FromCalcFlags(unsigned flags) {
    return ((flags & calc::FpInvalid) ? Invalid : 0u) | ((flags & calc::FpDivByZero) ? DivByZero : 0u) |
           ((flags & calc::FpOverflow) ? Overflow : 0u) | (flags & ~unsigned(calc::FpFaultFlags)) << 8;
}

Outcome ModelFormula(calc::Formula formula, const Operands& v, unsigned pending) {
    switch (formula) {
    case calc::Formula::Blanking: return Blanking(v[0], v[1], v[2], v[3], pending);
    case calc::Formula::Drawing: return Drawing(v[0], v[1], v[2], v[3], pending);
    default: return Bending(v[0], v[1], v[2], v[3], pending);
    }
}

Outcome CalcFormula(calc::Formula formula, const Operands& v, unsigned pending) {
    calc::FpStatus status;
    status.Raise(ToCalcFlags(pending));
    try {
        switch (formula) {
        case calc::Formula::Blanking: return Result(calc::BlankingForce(v[0], v[1], v[2], v[3], status));
        case calc::Formula::Drawing: return Result(calc::DrawingForce(v[0], v[1], v[2], v[3], status));
        default: return Result(calc::BendingForce(v[0], v[1], v[2], v[3], status));
        }
    } catch (const calc::FloatingPointError& e) {
        return Fault(e.Flags(), e.Check());
    }
}

Outcome ModelChain(calc::Formula formula, const std::vector<std::u16string>& fields) {
    Operands v{0, 0, 0, calc::kBlankingCoefficient};
    unsigned pending = 0;
    for (std::size_t i = 0; i < calc::FieldCount(formula); ++i) {
        const Narrowed field = ReadField(fields[i]);
        v[i] = field.value;
        pending = field.flags; // only the last field's flags survive
    }
    return ModelFormula(formula, v, pending);
}

Outcome CalcChain(calc::Formula formula, const std::vector<std::u16string>& fields) {
    calc::FpStatus status;
    const calc::Result r = calc::Calculate(formula, fields, status);
    return r.fault ? Fault(r.flags, r.check) : Outcome{false, 0, 0, ShownBits(r.Text())};
}

} // namespace reference
