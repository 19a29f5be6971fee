#include "calc/fpstatus.h"

#include <cmath>
#include <functional>

namespace calc {

const char* FloatingPointError::what() const noexcept { return "floating-point error"; }

double Pow(double base, double exponent, FpStatus& status) {
    if (std::equal_to<double>{}(exponent, 2.0))
        return Mul(base, base, status);
    const double r = std::pow(base, exponent);
    if (std::isinf(r) && detail::IsZero(base) && exponent < 0)
        status.Raise(FpDivByZero);
    else
        detail::Classify(base, exponent, r, status);
    return r;
}

void CheckFaults(const FpStatus& status, int check) {
    if (status.Any(FpFaultFlags))
        throw FloatingPointError(status.Flags() & FpFaultFlags, check);
}

} // namespace calc
