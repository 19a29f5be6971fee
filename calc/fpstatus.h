// Floating-point status of the calculation and the operations that keep it.
//
// The three flags that a fault check tests (invalid operation, division by
// zero, overflow) are derived from each operation's operands and result, so
// they do not depend on where an optimising compiler places a read of the
// hardware status. Underflow and inexact are never tested and not kept.
#pragma once

#include <cmath>
#include <exception>

namespace calc {

enum FpFlag : unsigned {
    FpInvalid = 1u << 0,   // 0 * inf, inf - inf, 0 / 0, inf / inf
    FpDivByZero = 1u << 1, // finite non-zero / 0
    FpOverflow = 1u << 2,  // a finite operation whose rounded result is infinite
};
inline constexpr unsigned FpFaultFlags = FpInvalid | FpDivByZero | FpOverflow;

class FpStatus {
public:
    void Clear() { flags_ = 0; }
    void Raise(unsigned flags) { flags_ |= flags; }
    unsigned Flags() const { return flags_; }
    bool Any(unsigned flags) const { return (flags_ & flags) != 0; }

private:
    unsigned flags_ = 0;
};

// The floating-point error: raised by a fault check, carries the flags it saw
// and which check of the formula saw them (1, or 2 for bending's second).
class FloatingPointError : public std::exception {
public:
    FloatingPointError(unsigned flags, int check) : flags_(flags), check_(check) {}
    unsigned Flags() const { return flags_; }
    int Check() const { return check_; }
    const char* what() const noexcept override;

private:
    unsigned flags_;
    int check_;
};

namespace detail {
inline bool IsZero(double x) { return std::fpclassify(x) == FP_ZERO; }

// NaN from non-NaN operands is invalid; infinity from finite operands is overflow.
inline void Classify(double a, double b, double r, FpStatus& status) {
    if (std::isnan(r)) {
        if (!std::isnan(a) && !std::isnan(b))
            status.Raise(FpInvalid);
    } else if (std::isinf(r) && std::isfinite(a) && std::isfinite(b)) {
        status.Raise(FpOverflow);
    }
}
} // namespace detail

// Double operations, each rounded to double, each keeping the status.
inline double Mul(double a, double b, FpStatus& status) {
    const double r = a * b;
    detail::Classify(a, b, r, status);
    return r;
}

inline double Add(double a, double b, FpStatus& status) {
    const double r = a + b;
    detail::Classify(a, b, r, status);
    return r;
}

inline double Div(double a, double b, FpStatus& status) {
    const double r = a / b;
    if (detail::IsZero(b) && std::isfinite(a) && !detail::IsZero(a))
        status.Raise(FpDivByZero);
    else
        detail::Classify(a, b, r, status);
    return r;
}

// Double to single, round to nearest even; beyond the single range is overflow.
inline float Narrow(double value, FpStatus& status) {
    const auto r = static_cast<float>(value);
    if (std::isinf(r) && std::isfinite(value))
        status.Raise(FpOverflow);
    return r;
}

// Raises FloatingPointError if invalid operation, division by zero or overflow is set.
void CheckFaults(const FpStatus& status, int check = 1);

} // namespace calc
