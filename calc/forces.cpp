#include "calc/forces.h"

#include <cmath>

namespace calc {

namespace {

bool IsZero(float x) { return std::fpclassify(x) == FP_ZERO; }

// a·b·c·d in that order, each product rounded to double; then narrowed and checked.
float Product4(float a, float b, float c, float d, FpStatus& status) {
    double p = Mul(static_cast<double>(a), static_cast<double>(b), status);
    p = Mul(p, static_cast<double>(c), status);
    p = Mul(p, static_cast<double>(d), status);
    const float f = Narrow(p, status);
    CheckFaults(status);
    return f;
}

} // namespace

float BlankingForce(float L, float t, float tau, float K, FpStatus& status) {
    if (IsZero(L) && IsZero(tau) && IsZero(t))
        return 0.0f;
    return Product4(L, K, tau, t, status);
}

float DrawingForce(float L, float t, float sigma, float k, FpStatus& status) {
    if (IsZero(L) && IsZero(k) && IsZero(sigma) && IsZero(t))
        return 0.0f;
    return Product4(L, k, sigma, t, status);
}

float BendingForce(float B, float t, float sigma, float R, FpStatus& status) {
    if (IsZero(sigma) && IsZero(t))
        return 0.0f;
    const auto B_ = static_cast<double>(B), t_ = static_cast<double>(t);
    const auto sigma_ = static_cast<double>(sigma), R_ = static_cast<double>(R);
    const double s = Mul(t_, t_, status); // t to the power 2.0: exact, a single's square fits a double
    double c = Mul(B_, 0.7, status);
    c = Mul(c, 1.3, status);
    double n = Mul(s, c, status);
    n = Mul(n, sigma_, status);
    const double d = Add(t_, R_, status);
    CheckFaults(status);
    const double q = Div(n, d, status);
    const float f = Narrow(q, status);
    CheckFaults(status, 2);
    return f;
}

} // namespace calc
