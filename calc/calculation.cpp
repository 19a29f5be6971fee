#include "calc/calculation.h"

#include "calc/forces.h"

#include <array>
#include <cassert>

namespace calc {

std::size_t FieldCount(Formula formula) { return formula == Formula::Blanking ? 3 : 4; }

std::size_t Calculate(Formula formula, std::span<const std::u16string_view> fields, FpStatus& status,
                      std::span<char16_t, kSingleTextCapacity> out) {
    assert(fields.size() == FieldCount(formula));
    // The status is cleared after each field's text is fetched: a fault check
    // sees the narrowing of the last field read, not of the earlier ones.
    std::array<float, 4> v{};
    for (std::size_t i = 0; i < fields.size() && i < v.size(); ++i) {
        status.Clear();
        v[i] = Narrow(TextToNumber(fields[i], status), status);
    }
    float force = 0.0f;
    switch (formula) {
    case Formula::Blanking: force = BlankingForce(v[0], v[1], v[2], kBlankingCoefficient, status); break;
    case Formula::Drawing: force = DrawingForce(v[0], v[1], v[2], v[3], status); break;
    case Formula::Bending: force = BendingForce(v[0], v[1], v[2], v[3], status); break;
    }
    return SingleToText(force, out);
}

} // namespace calc
