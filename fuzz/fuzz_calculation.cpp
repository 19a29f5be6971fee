// One window's calculation from its field texts to the result text.
//
// The input is UTF-8 (see fuzz::Utf8Units) split at its first newlines into
// the window's fields: L, t, τb for blanking; L, t, σb, k for drawing; B, t,
// σb, R for bending; the rest of the input belongs to the last field. The
// calculation the windows run gives the result text, or a fault with its flags
// and check; the single the text stands for, or the fault, must equal the MPFR
// model's, fed from the reference reading of the same texts.
#include "fuzz_checks.h"

#include "calc_and_model.h"

#include <cstdint>
#include <string>
#include <vector>

#ifndef PF_FUZZ_FORMULA
#error "PF_FUZZ_FORMULA selects the formula: 0 blanking, 1 drawing, 2 bending"
#endif

namespace {

constexpr auto kFormula = static_cast<calc::Formula>(PF_FUZZ_FORMULA);
constexpr const char* kName = kFormula == calc::Formula::Blanking  ? "blanking"
                              : kFormula == calc::Formula::Drawing ? "drawing"
                                                                   : "bending";

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
    const std::size_t count = calc::FieldCount(kFormula);
    for (std::size_t i = 0; i < size && fields.size() + 1 < count; ++i) {
        if (data[i] == '\n') {
            fields.push_back(fuzz::Utf8Units(data + start, i - start));
            start = i + 1;
        }
    }
    fields.push_back(fuzz::Utf8Units(data + start, size - start));
    fields.resize(count); // missing fields are empty

    const reference::Outcome got = reference::CalcChain(kFormula, fields);
    const reference::Outcome want = reference::Shown(reference::ModelChain(kFormula, fields));
    if (!(got == want))
        fuzz::Violation(std::string(kName) + " fields" + Fields(fields) + ": calc " +
                        reference::Describe(got) + ", model " + reference::Describe(want));
    return 0;
}
