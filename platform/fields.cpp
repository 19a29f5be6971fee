#include "platform/fields.h"

#include "calc/numconv.h"

#include <array>

namespace platform {

float ReadFieldValue(Runtime& runtime, Form& form, ControlName field) {
    const QString text = runtime.FetchText(form, field);
    calc::FpStatus& status = runtime.FpStatus();
    status.Clear();
    const std::u16string_view view(reinterpret_cast<const char16_t*>(text.utf16()),
                                   static_cast<std::size_t>(text.size()));
    return calc::Narrow(calc::TextToNumber(view, status), status);
}

void ShowForce(Runtime& runtime, Form& form, float force) {
    std::array<char16_t, calc::kSingleTextCapacity> text;
    const std::size_t size = calc::SingleToText(force, text);
    runtime.SetText(form, {"Text5"}, QString::fromUtf16(text.data(), static_cast<qsizetype>(size)));
}

} // namespace platform
