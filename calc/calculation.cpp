#include "calc/calculation.h"

#include "calc/forces.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <stdexcept>

namespace calc {

std::size_t Calculate(Formula formula, std::span<const std::u16string_view> fields, FpStatus& status,
                      std::span<char16_t, kSingleTextCapacity> out) {
    assert(fields.size() == FieldCount(formula));
    // The status is cleared after each field's text is fetched: a fault check
    // sees the narrowing of the last field read, not of the earlier ones.
    std::array<float, kMaxFieldCount> v{};
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

Result Calculate(Formula formula, std::span<const std::u16string> fields, FpStatus& status) {
    const std::size_t count = FieldCount(formula);
    if (fields.size() < count)
        throw std::invalid_argument("calc::Calculate: fewer texts than the formula's fields");
    std::array<std::u16string_view, kMaxFieldCount> views;
    std::copy_n(fields.begin(), count, views.begin());
    Result result;
    try {
        result.size = Calculate(formula, std::span(views).first(count), status, result.text);
    } catch (const FloatingPointError& e) {
        result.fault = true;
        result.flags = e.Flags();
        result.check = e.Check();
    }
    return result;
}

} // namespace calc
