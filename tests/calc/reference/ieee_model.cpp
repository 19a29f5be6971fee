#include "ieee_model.h"

#include <mpfr.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <optional>

namespace reference {

namespace {

// An IEEE binary format as MPFR sees it: the significand in [1/2, 1), so the
// least subnormal is 2^(emin-1) and the largest finite value is below 2^emax.
struct Format {
    mpfr_prec_t precision;
    mpfr_exp_t emin, emax;
};
constexpr Format kBinary64{53, -1073, 1024};
constexpr Format kBinary32{24, -148, 128};

// An MPFR number that frees itself.
class Number {
public:
    explicit Number(const Format& format) { mpfr_init2(v_, format.precision); }
    Number(const Format& format, float x) : Number(format) { mpfr_set_flt(v_, x, MPFR_RNDN); }
    ~Number() { mpfr_clear(v_); }
    Number(const Number&) = delete;
    Number& operator=(const Number&) = delete;
    mpfr_ptr get() { return v_; }

private:
    mpfr_t v_;
};

// Runs `operation` (which writes a value at the target precision into `r`
// and returns MPFR's ternary value) in MPFR's wide exponent range, then
// brings `r` into `format`'s range with gradual underflow. Returns the IEEE
// flags the operation raises. A NaN operand propagates quietly.
template <typename Operation>
unsigned Round(mpfr_ptr r, const Format& format, std::initializer_list<mpfr_srcptr> operands,
               Operation operation) {
    const bool nanOperand = std::ranges::any_of(operands, [](mpfr_srcptr x) { return mpfr_nan_p(x) != 0; });
    const mpfr_exp_t wideMin = mpfr_get_emin();
    const mpfr_exp_t wideMax = mpfr_get_emax();
    mpfr_clear_flags();
    int ternary = operation();
    mpfr_set_emin(format.emin);
    mpfr_set_emax(format.emax);
    ternary = mpfr_check_range(r, ternary, MPFR_RNDN);
    mpfr_subnormalize(r, ternary, MPFR_RNDN);
    mpfr_set_emin(wideMin);
    mpfr_set_emax(wideMax);
    // MPFR flags overflow only when a finite exact result rounds beyond the
    // range; an infinite operand giving an infinity raises nothing.
    return (mpfr_nanflag_p() && !nanOperand ? Invalid : 0u) | (mpfr_divby0_p() ? DivByZero : 0u) |
           (mpfr_overflow_p() ? Overflow : 0u);
}

// The double arithmetic of one calculation, keeping the sticky flags.
class Arithmetic {
public:
    explicit Arithmetic(unsigned pending) : flags_(pending) {}

    unsigned flags() const { return flags_; }

    // The fault flags seen so far, if any, as a fault raised by check number `check`.
    std::optional<Outcome> Check(int check) const {
        const unsigned faults = flags_ & (Invalid | DivByZero | Overflow);
        return faults != 0 ? std::optional(Outcome{true, faults, check, 0}) : std::nullopt;
    }

    // r = op(a, b) in double: op is mpfr_mul, mpfr_add or mpfr_div.
    template <typename Op> void Do(Op op, mpfr_ptr r, mpfr_srcptr a, mpfr_srcptr b) {
        flags_ |= Round(r, kBinary64, {a, b}, [&] { return op(r, a, b, MPFR_RNDN); });
    }
    // r has single precision.
    void Narrow(mpfr_ptr r, mpfr_srcptr a) {
        flags_ |= Round(r, kBinary32, {a}, [&] { return mpfr_set(r, a, MPFR_RNDN); });
    }

private:
    unsigned flags_;
};

Outcome Result(mpfr_srcptr single) { // exact: already a single
    return {false, 0, 0, std::bit_cast<std::uint32_t>(mpfr_get_flt(single, MPFR_RNDN))};
}

// The double nearest to a decimal constant.
void SetConstant(mpfr_ptr r, const char* decimal) {
    Round(r, kBinary64, {}, [&] { return mpfr_set_str(r, decimal, 10, MPFR_RNDN); });
}

// p = a·b·c·d, one rounded product at a time, then narrowed and checked.
Outcome Product(float a, float b, float c, float d, unsigned pending) {
    Number A(kBinary64, a), Bv(kBinary64, b), C(kBinary64, c), D(kBinary64, d), p(kBinary64), F(kBinary32);
    Arithmetic arith(pending);
    arith.Do(mpfr_mul, p.get(), A.get(), Bv.get());
    arith.Do(mpfr_mul, p.get(), p.get(), C.get());
    arith.Do(mpfr_mul, p.get(), p.get(), D.get());
    arith.Narrow(F.get(), p.get());
    return arith.Check(1).value_or(Result(F.get()));
}

bool IsZero(float x) { return std::fpclassify(x) == FP_ZERO; } // both zeros

// The ASCII character of a number that a character stands for, or 0.
char NumberChar(char16_t c) {
    if (std::u16string_view(u"0123456789.+-eE").find(c) != std::u16string_view::npos)
        return static_cast<char>(c);
    if (c >= kWideZero && c < kWideZero + 10)
        return static_cast<char>('0' + (c - kWideZero));
    const auto* form = std::ranges::find(kWideForms, c, &WideForm::wide);
    return form != std::end(kWideForms) ? form->ascii : 0;
}

bool Digit(char a) { return a >= '0' && a <= '9'; }

// MPFR 4.2 misreads exponents beyond the range of long when the significand
// starts after the point (".05e-99999999999999999999" comes out infinite).
// An exponent of more than nine digits, with a significand far shorter than
// 10^9 digits, puts the value out of the double range either way: cap it.
std::string CapExponent(std::string number) {
    const std::size_t e = number.find('e');
    if (e == std::string::npos)
        return number;
    if (e > 100'000'000) {
        std::fprintf(stderr, "reference: significand too long to cap the exponent\n");
        std::abort();
    }
    const std::size_t first = number.find_first_not_of("+-", e + 1);
    const std::size_t lead = std::min(number.find_first_not_of('0', first), number.size() - 1);
    if (number.size() - lead > 9)
        number.replace(first, std::string::npos, "2000000000");
    return number;
}

} // namespace

std::string SingleText(float f) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.9g (%08x)", static_cast<double>(f), std::bit_cast<unsigned>(f));
    return buf;
}

std::string Describe(const Outcome& outcome) {
    if (!outcome.fault)
        return "result " + SingleText(std::bit_cast<float>(outcome.bits));
    std::string s = "fault at check " + std::to_string(outcome.check) + ":";
    for (const auto& [flag, name] :
         {std::pair{Invalid, " invalid"}, {DivByZero, " division-by-zero"}, {Overflow, " overflow"}})
        s += (outcome.flags & flag) ? name : "";
    return s;
}

// A closed zero gate gives +0.
Outcome Blanking(float L, float t, float tau, float K, unsigned pending) {
    return IsZero(L) && IsZero(tau) && IsZero(t) ? Outcome{} : Product(L, K, tau, t, pending);
}

Outcome Drawing(float L, float t, float sigma, float k, unsigned pending) {
    return IsZero(L) && IsZero(k) && IsZero(sigma) && IsZero(t) ? Outcome{}
                                                                : Product(L, k, sigma, t, pending);
}

Outcome Bending(float B, float t, float sigma, float R, unsigned pending) {
    if (IsZero(sigma) && IsZero(t))
        return Outcome{};
    Number b(kBinary64, B), th(kBinary64, t), sg(kBinary64, sigma), r(kBinary64, R);
    Number f07(kBinary64), f13(kBinary64);
    Number s(kBinary64), c(kBinary64), n(kBinary64), d(kBinary64), q(kBinary64), F(kBinary32);
    SetConstant(f07.get(), "0.7");
    SetConstant(f13.get(), "1.3");

    Arithmetic arith(pending);
    arith.Do(mpfr_mul, s.get(), th.get(), th.get()); // t·t, the same rounding as t²
    arith.Do(mpfr_mul, c.get(), b.get(), f07.get());
    arith.Do(mpfr_mul, c.get(), c.get(), f13.get());
    arith.Do(mpfr_mul, n.get(), s.get(), c.get());
    arith.Do(mpfr_mul, n.get(), n.get(), sg.get());
    arith.Do(mpfr_add, d.get(), th.get(), r.get());
    if (const auto fault = arith.Check(1))
        return *fault;
    arith.Do(mpfr_div, q.get(), n.get(), d.get());
    arith.Narrow(F.get(), q.get());
    return arith.Check(2).value_or(Result(F.get()));
}

std::string NumberPrefix(std::u16string_view text) {
    std::size_t pos = std::min(text.find_first_not_of(u" \t\u3000"), text.size());
    auto next = [&](std::size_t k) { return k < text.size() ? NumberChar(text[k]) : '\0'; };

    std::string number;
    if (next(pos) == '+' || next(pos) == '-')
        number += next(pos++);
    bool anyDigit = false;
    bool point = false;
    for (char a = next(pos); Digit(a) || (a == '.' && !point); a = next(++pos)) {
        anyDigit = anyDigit || Digit(a);
        point = point || a == '.';
        number += a;
    }
    if (!anyDigit)
        return {};

    // An exponent counts only with at least one digit.
    std::size_t k = pos + 1;
    std::string exponent = "e";
    if (next(k) == '+' || next(k) == '-')
        exponent += next(k++);
    if ((next(pos) == 'e' || next(pos) == 'E') && Digit(next(k))) {
        while (Digit(next(k)))
            exponent += next(k++);
        number += exponent;
    }
    return number;
}

Reading ReadNumber(std::u16string_view text) {
    const std::string number = CapExponent(NumberPrefix(text));
    if (number.empty())
        return {};
    Number x(kBinary64);
    char* end = nullptr;
    const unsigned flags = Round(x.get(), kBinary64, {},
                                 [&] { return mpfr_strtofr(x.get(), number.c_str(), &end, 10, MPFR_RNDN); });
    if (end != number.c_str() + number.size()) {
        std::fprintf(stderr, "reference: MPFR did not read all of \"%s\"\n", number.c_str());
        std::abort();
    }
    return {mpfr_get_d(x.get(), MPFR_RNDN), flags};
}

Narrowed ReadField(std::u16string_view text) {
    const Reading reading = ReadNumber(text);
    Number x(kBinary64), F(kBinary32);
    mpfr_set_d(x.get(), reading.value, MPFR_RNDN);
    Arithmetic arith(reading.flags);
    arith.Narrow(F.get(), x.get());
    return {mpfr_get_flt(F.get(), MPFR_RNDN), arith.flags()};
}

std::uint32_t ShownBits(std::u16string_view resultText) {
    const float inf = std::numeric_limits<float>::infinity();
    return std::bit_cast<std::uint32_t>(resultText == u"∞"    ? inf
                                        : resultText == u"-∞" ? -inf
                                                              : ReadField(resultText).value);
}

Outcome Shown(Outcome outcome) {
    if (!outcome.fault && (outcome.bits & 0x7FFFFFFFu) == 0)
        outcome.bits = 0;
    return outcome;
}

std::uint64_t BendingFactorBits(int which) {
    Number x(kBinary64);
    SetConstant(x.get(), which == 0 ? "0.7" : "1.3");
    return std::bit_cast<std::uint64_t>(mpfr_get_d(x.get(), MPFR_RNDN));
}

std::string Printable(std::u16string_view text) {
    std::string s = "\"";
    for (char16_t c : text) {
        char buf[8];
        const bool plain = c >= 0x20 && c < 0x7F && c != '"' && c != '\\';
        std::snprintf(buf, sizeof buf, plain ? "%c" : "\\u%04x", static_cast<int>(c));
        s += buf;
    }
    if (s.size() > 300) // shortened in the middle
        s = s.substr(0, 150) + "..." + s.substr(s.size() - 100);
    return s + "\"";
}

} // namespace reference
