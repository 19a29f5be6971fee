// One window's calculation from its field texts to the result text.
//
// The input is UTF-8 (see fuzz::Utf8Units) split at its first newlines into
// the window's fields: L, t, τb for blanking; L, t, σb, k for drawing; B, t,
// σb, R for bending; the rest of the input belongs to the last field. The
// fields are read as the window reads them, the formula runs, and the outcome
// (result bits, or the fault with its flags and check) must equal the MPFR
// model's, fed from the reference reading of the same texts.
#include "fuzz_checks.h"

#include "calc/forces.h"
#include "calc/fpstatus.h"
#include "calc/numconv.h"
#include "ieee_model.h"

#include <array>
#include <bit>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#ifndef PF_FUZZ_FORMULA
#error "PF_FUZZ_FORMULA selects the formula: 0 blanking, 1 drawing, 2 bending"
#endif

namespace {

constexpr int kFormula = PF_FUZZ_FORMULA;
constexpr std::size_t kFields = kFormula == 0 ? 3 : 4;
constexpr const char* kName = kFormula == 0 ? "blanking" : kFormula == 1 ? "drawing" : "bending";

using Operands = std::array<float, 4>;

// calc's formula on the status that the field reading left.
reference::Outcome RunCalc(const Operands& v, calc::FpStatus& status, float& result) {
    reference::Outcome outcome;
    try {
        switch (kFormula) {
        case 0: result = calc::BlankingForce(v[0], v[1], v[2], v[3], status); break;
        case 1: result = calc::DrawingForce(v[0], v[1], v[2], v[3], status); break;
        default: result = calc::BendingForce(v[0], v[1], v[2], v[3], status); break;
        }
        outcome.bits = std::bit_cast<std::uint32_t>(result);
    } catch (const calc::FloatingPointError& e) {
        outcome.fault = true;
        const unsigned f = e.Flags();
        outcome.flags = ((f & calc::FpInvalid) ? reference::Invalid : 0u) |
                        ((f & calc::FpDivByZero) ? reference::DivByZero : 0u) |
                        ((f & calc::FpOverflow) ? reference::Overflow : 0u) | (f & ~calc::FpFaultFlags) << 8;
        outcome.check = e.Check();
    }
    return outcome;
}

reference::Outcome RunModel(const Operands& v, unsigned pending) {
    switch (kFormula) {
    case 0: return reference::Blanking(v[0], v[1], v[2], v[3], pending);
    case 1: return reference::Drawing(v[0], v[1], v[2], v[3], pending);
    default: return reference::Bending(v[0], v[1], v[2], v[3], pending);
    }
}

std::string Fields(const std::vector<std::u16string>& fields) {
    std::string s;
    for (const auto& f : fields)
        s += " " + fuzz::Printable(f);
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::u16string> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i < size && fields.size() + 1 < kFields; ++i) {
        if (data[i] == '\n') {
            fields.push_back(fuzz::Utf8Units(data + start, i - start));
            start = i + 1;
        }
    }
    fields.push_back(fuzz::Utf8Units(data + start, size - start));
    fields.resize(kFields); // missing fields are empty

    // The window: fetch, clear, convert and narrow each field in turn.
    calc::FpStatus status;
    Operands v{0, 0, 0, calc::kBlankingCoefficient};
    for (std::size_t i = 0; i < kFields; ++i) {
        status.Clear();
        v[i] = calc::Narrow(calc::TextToNumber(fields[i], status), status);
    }
    float result = 0;
    const reference::Outcome got = RunCalc(v, status, result);

    Operands w{0, 0, 0, calc::kBlankingCoefficient};
    unsigned pending = 0;
    for (std::size_t i = 0; i < kFields; ++i) {
        const reference::Narrowed field = reference::ReadField(fields[i]);
        w[i] = field.value;
        pending = field.flags; // what the last field's reading leaves for the checks
    }
    const reference::Outcome want = RunModel(w, pending);

    if (!(got == want))
        fuzz::Violation(std::string(kName) + " fields" + Fields(fields) + ": calc " + reference::Describe(got) +
                        ", model " + reference::Describe(want));
    if (!got.fault)
        fuzz::CheckReadsBack(result);
    return 0;
}
