// The three press-force formulas with their zero gates and fault checks.
//
// Inputs and results are singles; everything between is double, one rounded
// operation at a time in a fixed order. A fault check raises FloatingPointError
// when it sees invalid operation, division by zero or overflow in `status`,
// which holds whatever was raised since the last input field was fetched.
#pragma once

#include "calc/fpstatus.h"

namespace calc {

// Blanking coefficient K: allowance for edge wear, clearance and thickness scatter.
inline constexpr float kBlankingCoefficient = 1.3f;

// F = L·K·τb·t; runs when L, τb or t is non-zero.
float BlankingForce(float L, float t, float tau, float K, FpStatus& status);
// F = L·k·σb·t; runs when L, k, σb or t is non-zero.
float DrawingForce(float L, float t, float sigma, float k, FpStatus& status);
// F = t²·(B·0.7·1.3)·σb ÷ (t + R); runs when σb or t is non-zero.
float BendingForce(float B, float t, float sigma, float R, FpStatus& status);

} // namespace calc
