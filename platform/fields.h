// Reading a calculator's input fields and showing its result.
#pragma once

#include "platform/runtime.h"

namespace platform {

// Fetches the field's text, clears the floating-point status, converts the text
// to a double and narrows it to a single.
float ReadFieldValue(Runtime& runtime, Form& form, ControlName field);

// Writes the single's text into the result field Text5, unchanged.
void ShowForce(Runtime& runtime, Form& form, float force);

} // namespace platform
