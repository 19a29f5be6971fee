// One window's calculation from its field texts to the result text.
//
// The input is UTF-8 (see fuzz::Utf8Units) split at its first newlines into
// the window's fields: L, t, τb for blanking; L, t, σb, k for drawing; B, t,
// σb, R for bending; the rest of the input belongs to the last field. The
// calculation the windows run gives the result text, or a fault with its flags
// and check; the single the text stands for, or the fault, must equal the MPFR
// model's, fed from the reference reading of the same texts.
#include "fuzz_checks.h"

#include "calc/calculation.h"
#include "calc/forces.h"
#include "ieee_model.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#ifndef PF_FUZZ_FORMULA
#error "PF_FUZZ_FORMULA selects the formula: 0 blanking, 1 drawing, 2 bending"
#endif

namespace {

constexpr auto kFormula = static_cast<calc::Formula>(PF_FUZZ_FORMULA);
constexpr std::size_t kFields = kFormula == calc::Formula::Blanking ? 3 : 4;
constexpr const char* kName = kFormula == calc::Formula::Blanking  ? "blanking"
                              : kFormula == calc::Formula::Drawing ? "drawing"
                                                                   : "bending";

// The calculation the windows run, its result as the window shows it.
reference::Outcome RunCalc(const std::vector<std::u16string>& fields) {
    const std::vector<std::u16string_view> views(fields.begin(), fields.end());
    reference::Outcome outcome;
    try {
        calc::FpStatus status;
        std::array<char16_t, calc::kSingleTextCapacity> text;
        outcome.bits = reference::ShownBits({text.data(), calc::Calculate(kFormula, views, status, text)});
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

reference::Outcome RunModel(const std::vector<std::u16string>& fields) {
    std::array<float, 4> v{0, 0, 0, calc::kBlankingCoefficient};
    unsigned pending = 0;
    for (std::size_t i = 0; i < kFields; ++i) {
        const reference::Narrowed field = reference::ReadField(fields[i]);
        v[i] = field.value;
        pending = field.flags; // what the last field's reading leaves for the checks
    }
    switch (kFormula) {
    case calc::Formula::Blanking: return reference::Blanking(v[0], v[1], v[2], v[3], pending);
    case calc::Formula::Drawing: return reference::Drawing(v[0], v[1], v[2], v[3], pending);
    default: return reference::Bending(v[0], v[1], v[2], v[3], pending);
    }
}

std::string Fields(const std::vector<std::u16string>& fields) {
    std::string s;
    for (const auto& f : fields)
        s += " " + reference::Printable(f);
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

    const reference::Outcome got = RunCalc(fields);
    const reference::Outcome want = reference::Shown(RunModel(fields));
    if (!(got == want))
        fuzz::Violation(std::string(kName) + " fields" + Fields(fields) + ": calc " + reference::Describe(got) +
                        ", model " + reference::Describe(want));
    return 0;
}
