#include "calc/fpstatus.h"

#include <cmath>
#include <functional>

namespace calc {

namespace {

bool IsZero(double x) { return std::fpclassify(x) == FP_ZERO; }

// NaN from non-NaN operands is invalid; infinity from finite operands is overflow.
void Classify(double a, double b, double r, FpStatus& status) {
    if (std::isnan(r)) {
        if (!std::isnan(a) && !std::isnan(b))
            status.Raise(FpInvalid);
    } else if (std::isinf(r) && std::isfinite(a) && std::isfinite(b)) {
        status.Raise(FpOverflow);
    }
}

} // namespace

const char* FloatingPointError::what() const noexcept { return "floating-point error"; }

double Mul(double a, double b, FpStatus& status) {
    const double r = a * b;
    Classify(a, b, r, status);
    return r;
}

double Add(double a, double b, FpStatus& status) {
    const double r = a + b;
    Classify(a, b, r, status);
    return r;
}

double Div(double a, double b, FpStatus& status) {
    const double r = a / b;
    if (IsZero(b) && std::isfinite(a) && !IsZero(a))
        status.Raise(FpDivByZero);
    else
        Classify(a, b, r, status);
    return r;
}

double Pow(double base, double exponent, FpStatus& status) {
    if (std::equal_to<double>{}(exponent, 2.0))
        return Mul(base, base, status);
    const double r = std::pow(base, exponent);
    if (std::isinf(r) && IsZero(base) && exponent < 0)
        status.Raise(FpDivByZero);
    else
        Classify(base, exponent, r, status);
    return r;
}

float Narrow(double value, FpStatus& status) {
    const auto r = static_cast<float>(value);
    if (std::isinf(r) && std::isfinite(value))
        status.Raise(FpOverflow);
    return r;
}

void CheckFaults(const FpStatus& status, int check) {
    if (status.Any(FpFaultFlags))
        throw FloatingPointError(status.Flags() & FpFaultFlags, check);
}

} // namespace calc
