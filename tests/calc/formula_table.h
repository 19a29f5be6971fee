// Formula cases worked out by hand: the formula test runs them on calc, the
// reference test on the exact model.
#pragma once

#include "calc/calculation.h"
#include "calc/forces.h"

#include <QTest>

#include <array>
#include <limits>
#include <utility>

struct FormulaCase {
    calc::Formula formula{};
    // In each formula's argument order: blanking L, t, τb, K; drawing L, t, σb, k; bending B, t, σb, R.
    std::array<float, 4> operands{};
    unsigned pending = 0; // what the status holds when the formula starts: the last field's narrowing
    float result = 0;     // exactly, a zero's sign too
    unsigned flags = 0;   // or a fault: the calc::FpFlag flags its check saw,
    int check = 0;        // and which check saw them (0: no fault)
};
Q_DECLARE_METATYPE(FormulaCase)

// The column "formulaCase", a row a case.
inline void AddFormulaCases() {
    using calc::FpInvalid, calc::FpDivByZero, calc::FpOverflow;
    constexpr auto B = calc::Formula::Blanking, D = calc::Formula::Drawing, N = calc::Formula::Bending;
    constexpr float inf = std::numeric_limits<float>::infinity(), max = std::numeric_limits<float>::max();
    constexpr float tiny = std::numeric_limits<float>::denorm_min(), K = calc::kBlankingCoefficient;
    const std::pair<const char*, FormulaCase> cases[] = {
        // name, {formula, operands, pending, result, fault flags, check}
        {"blanking all zero", {B, {0, 0, 0, K}}},
        {"blanking 100 2 300 with K 1", {B, {100, 2, 300, 1}, 0, 60000}},
        {"blanking inf times zero", {B, {inf, 0, 0, K}, 0, 0, FpInvalid, 1}},
        {"blanking pending overflow", {B, {1, 1, inf, K}, FpOverflow, 0, FpOverflow, 1}},
        {"drawing all zero", {D, {0, 0, 0, 0}}},
        {"drawing negative zeros close the gate", {D, {-0.0f, -0.0f, -0.0f, -0.0f}}},
        {"drawing pending overflow, gate closed", {D, {0, 0, 0, 0}, FpOverflow}},
        {"drawing gate closed by -0 ignores pending", {D, {-0.0f, -0.0f, 0, -0.0f}, FpOverflow}},
        {"drawing -0 product", {D, {-5, 0, 0, 0}, 0, -0.0f}},
        {"drawing inf operand is no overflow", {D, {inf, 2, 1, 1}, 0, inf}},
        {"drawing inf × 0 invalid", {D, {inf, 0, 1, 1}, 0, 0, FpInvalid, 1}},
        {"drawing FLT_MAX rounding edge stays finite", {D, {max, 1, 1, 1}, 0, max}},
        {"drawing past the rounding edge overflows", {D, {max, 0x1.000002p0f, 1, 1}, 0, 0, FpOverflow, 1}},
        {"drawing underflow to zero", {D, {1e-30f, 1e-30f, 1, 1}}},
        {"drawing half the least subnormal ties to zero", {D, {tiny, 0.5f, 1, 1}}},
        {"drawing just above half rounds up", {D, {tiny, 0x1.000002p-1f, 1, 1}, 0, tiny}},
        {"bending unit inputs: 0.7 × 1.3", {N, {1, 1, 1, 0}, 0, 0.91f}},
        {"bending gate closed, B and R set", {N, {99, 0, 0, -5}}},
        {"bending gate ignores B and R", {N, {inf, -0.0f, 0, inf}, FpOverflow}},
        {"bending inf / 0 raises nothing", {N, {inf, 1, 1, -1}, 0, inf}},
        {"bending 0 / 0 at the second check", {N, {0, 1, 1, -1}, 0, 0, FpInvalid, 2}},
        {"bending x / 0 at the second check", {N, {1, 1, 1, -1}, 0, 0, FpDivByZero, 2}},
        {"bending infinite t and R: inf - inf", {N, {1, inf, 1, -inf}, 0, 0, FpInvalid, 1}},
        {"bending inf - inf at the first check",
         {N, {1, inf, 1, -inf}, FpOverflow, 0, FpInvalid | FpOverflow, 1}},
        {"bending infinite B and zero t", {N, {inf, 0, 1, 1}, 0, 0, FpInvalid, 1}},
        {"bending inf / inf at the second check", {N, {inf, 1, 1, inf}, 0, 0, FpInvalid, 2}},
    };
    QTest::addColumn<FormulaCase>("formulaCase");
    for (const auto& [name, formulaCase] : cases)
        QTest::newRow(name) << formulaCase;
}
