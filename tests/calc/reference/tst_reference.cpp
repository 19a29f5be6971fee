// The calc library against an exact MPFR model: the force formulas on
// millions of seeded edge inputs, number reading and the result text.
//
// PF_REFERENCE_SEED=<n> changes the base seed (default fixed);
// PF_REFERENCE_SCALE=<f> scales every case count (default 1, for sanitizer runs).
#include "calc_and_model.h"
#include "formula_table.h"
#include "worked_examples.h"

#include "calc/numconv.h"

#include <QTest>

#include <mpfr.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

using namespace reference;
using calc::Formula;

Q_DECLARE_METATYPE(calc::Formula)
Q_DECLARE_METATYPE(WorkedExample)

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

std::string Name(Formula f) { return kFormulaNames[static_cast<qsizetype>(f)].toStdString(); }

// ---- Seeded random inputs that crowd the edges of the single and double ranges

// SplitMix64: small, fast and the same sequence on every platform.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, n); n > 0.
    std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>((Next() >> 32) * n >> 32); }
    bool Chance(std::uint32_t oneIn) { return Below(oneIn) == 0; }
    bool Coin() { return (Next() >> 63) != 0; }
    // Uniform in [0, 1).
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1p-53; }

private:
    std::uint64_t state_;
};

inline float FromBits(std::uint32_t bits) { return std::bit_cast<float>(bits); }
inline std::uint32_t Bits(float f) { return std::bit_cast<std::uint32_t>(f); }
inline std::uint64_t Bits(double d) { return std::bit_cast<std::uint64_t>(d); }

inline float WithSign(Rng& rng, float f, std::uint32_t negativeOneIn = 2) {
    return rng.Chance(negativeOneIn) ? -f : f;
}

// |f| walked by whole ulps within the finite range, the sign kept.
inline float Steps(float f, int ulps) {
    const std::int64_t mag =
        std::clamp<std::int64_t>((Bits(f) & 0x7FFFFFFF) + std::int64_t{ulps}, 0, 0x7F7FFFFF);
    return FromBits((Bits(f) & 0x80000000u) | static_cast<std::uint32_t>(mag));
}

inline float RandomFiniteSingle(Rng& rng) {
    for (;;) {
        const auto bits = static_cast<std::uint32_t>(rng.Next());
        if ((bits & 0x7F800000u) != 0x7F800000u)
            return FromBits(bits);
    }
}

// A value as typed for a workpiece: a few significant digits, 0.01 to 5000.
inline float EngineeringSingle(Rng& rng) {
    const double scale[] = {1, 10, 100, 1000};
    const double mantissa = 1 + rng.Below(49999);
    const double v = mantissa / scale[rng.Below(4)] / (rng.Coin() ? 10.0 : 1.0);
    return WithSign(rng, static_cast<float>(v), 16);
}

// One input single, drawn to hit zeros, subnormals, the range edges,
// infinities, powers of two, ordinary values and random bit patterns.
inline float EdgeSingle(Rng& rng) {
    constexpr float kMax = std::numeric_limits<float>::max();
    switch (rng.Below(16)) {
    case 0: return rng.Coin() ? 0.0f : -0.0f;
    case 1: return WithSign(rng, FromBits(1 + rng.Below(0x7FFFFF)));        // subnormal
    case 2: return WithSign(rng, FromBits(0x00800000u - 4 + rng.Below(9))); // normal edge
    case 3: return WithSign(rng, FromBits(1 + rng.Below(4)));               // least subnormals
    case 4: return WithSign(rng, Steps(kMax, -static_cast<int>(rng.Below(8))));
    case 5: return WithSign(rng, kInf);
    case 6:
    case 7: return RandomFiniteSingle(rng);
    case 8:
    case 9:
    case 10: return EngineeringSingle(rng);
    case 11: return WithSign(rng, std::ldexp(1.0f, static_cast<int>(rng.Below(277)) - 149));
    case 12: return static_cast<float>(static_cast<int>(rng.Below(120)) - 20);
    case 13: // large: 1e10 .. 3e38
        return WithSign(rng, static_cast<float>(std::pow(10.0, 10 + 28.5 * rng.Unit())));
    case 14: // tiny: 1e-45 .. 1e-10
        return WithSign(rng, static_cast<float>(std::pow(10.0, -45 + 35 * rng.Unit())));
    default: return WithSign(rng, Steps(1.0f, static_cast<int>(rng.Below(9)) - 4));
    }
}

// Like EdgeSingle but a zero half the time, so that the zero gates close.
inline float GateSingle(Rng& rng) { return rng.Coin() ? (rng.Coin() ? 0.0f : -0.0f) : EdgeSingle(rng); }

// An ordinary positive finite operand for building products near a target.
inline float ScaleSingle(Rng& rng) {
    switch (rng.Below(4)) {
    case 0: return std::fabs(EngineeringSingle(rng));
    case 1: return static_cast<float>(std::pow(10.0, -30 + 60 * rng.Unit()));
    case 2: return std::ldexp(1.0f, static_cast<int>(rng.Below(120)) - 60);
    default: return static_cast<float>(0.5 + rng.Unit());
    }
}

// A single f such that the exact product p·f lies within a few double ulps
// of a midpoint between two singles (a rounding tie for the final narrowing),
// scaled so that the product is near 2^exponent. Then one double ulp more or
// less in p, as a different operation order or a folded constant gives,
// changes the narrowed result. False when p has no such factor close enough.
//
// With p = P·2^e (P a 53-bit integer), a factor q < 2^24 with q·P ≈ h·2^52
// for an odd 25-bit h is a continued-fraction convergent h/q of P/2^52 (or
// of 2P/2^52) that is followed by a large partial quotient.
inline bool TieFactor(double p, int exponent, float& f) {
    using U = unsigned __int128;
    using I = __int128;
    int e2 = 0;
    const double m = std::frexp(std::fabs(p), &e2); // p = m·2^e2, m in [1/2, 1)
    const auto P = static_cast<std::uint64_t>(std::ldexp(m, 53));
    for (int j = 0; j < 2; ++j) {
        const U Y = U{P} << j, D = U{1} << 52;
        U num = Y, den = D;
        U h1 = 1, h2 = 0, k1 = 0, k2 = 1; // convergents n-1 and n-2
        while (den != 0) {
            const U a = num / den;
            num = std::exchange(den, num - a * den);
            const U h = a * h1 + h2, k = a * k1 + k2;
            if (k >= (U{1} << 24))
                break;
            h2 = std::exchange(h1, h);
            k2 = std::exchange(k1, k);
            if (h < (1u << 24) || h >= (1u << 25) || (h & 1) == 0)
                continue;
            const I r = static_cast<I>(k * Y) - static_cast<I>(h * D);
            if (r > (I{1} << 25) || r < -(I{1} << 25))
                continue;
            // p·k ≈ h·2^(52 - j + e2 - 53): move it to 2^exponent with a power of two.
            const int productExp = 52 - j + e2 - 53 + 25;
            f = std::ldexp(static_cast<float>(static_cast<std::uint64_t>(k)), exponent - productExp);
            return std::fpclassify(f) == FP_NORMAL; // a subnormal factor loses the digits
        }
    }
    return false;
}

const std::uint64_t kBaseSeed = [] {
    const char* env = std::getenv("PF_REFERENCE_SEED");
    return env && *env ? std::strtoull(env, nullptr, 0) : 0x5EED0F0A11ull;
}();

const double kScale = [] {
    const char* env = std::getenv("PF_REFERENCE_SCALE");
    const double s = env && *env ? std::strtod(env, nullptr) : 1.0;
    return s > 0 ? s : 1.0;
}();

// ---- Inputs of the formula sweep ------------------------------------------

enum Kind { Mixed, Gates, RandomBits, Infinities, OverflowEdge, UnderflowEdge, SumZero, Ties };

// Targets for the product at the edges of the single range: FLT_MAX, the
// point where rounding goes to infinity, 2^128; the least subnormal, half of
// it (ties to zero), one and a half of it, the least normal.
constexpr double kOverflowTargets[] = {0x1.fffffep127, 0x1.ffffffp127, 0x1p128, 0x1.fffffe8p127};
constexpr double kUnderflowTargets[] = {0x1p-149, 0x1p-150, 0x1.8p-149, 0x1p-126, 0x1.fffffcp-127, 0x1p-151};

// The blanking window has no field for K: mostly the program's own value.
void UsualK(Rng& rng, Formula formula, Operands& v) {
    if (formula == Formula::Blanking && !rng.Chance(5))
        v[3] = calc::kBlankingCoefficient;
}

// Ordinary operands of either sign, to build a result near a target from.
void ScaleOperands(Rng& rng, Formula formula, Operands& v) {
    for (float& x : v)
        x = WithSign(rng, ScaleSingle(rng), 4);
    UsualK(rng, formula, v);
}

// Fills v so that the formula's result lands near `target` (sign random).
void NearTarget(Rng& rng, Formula formula, double target, Operands& v) {
    for (;;) {
        ScaleOperands(rng, formula, v);
        std::size_t solve = 0; // bending: q = t²·B·0.91·σb / (t + R), solved for B
        double rest = 1;
        if (formula == Formula::Bending) {
            const auto t = static_cast<double>(v[1]);
            rest = t * t * 0.91 * static_cast<double>(v[2]) / (t + static_cast<double>(v[3]));
        } else {
            solve = rng.Below(4);
            if (formula == Formula::Blanking && solve == 3) // not K
                solve = 1;
            for (std::size_t i = 0; i < v.size(); ++i)
                rest *= i != solve ? static_cast<double>(v[i]) : 1.0;
        }
        const auto x = static_cast<float>(target / rest);
        if (std::isfinite(x) && std::fpclassify(x) != FP_ZERO && std::isfinite(rest)) {
            v[solve] = Steps(x, static_cast<int>(rng.Below(7)) - 3);
            return;
        }
    }
}

// Fills v so that the double value before the final narrowing is within a
// few ulps of a rounding tie: the last operation's rounding, and with it the
// order of the operations and the constants, decides the result.
void NearTie(Rng& rng, Formula formula, Operands& v) {
    const int exponent = static_cast<int>(rng.Below(241)) - 120;
    for (;;) {
        ScaleOperands(rng, formula, v);
        // In field order L, t, τb/σb, K/k, multiplied as L·K·τb·t, L·k·σb·t: t is put at the tie.
        std::size_t tie = 1;
        double p = static_cast<double>(v[0]) * static_cast<double>(v[3]) * static_cast<double>(v[2]);
        int m = 0;
        if (formula == Formula::Bending) {
            // t + R a power of two, so the quotient is exact; σb, the last
            // factor of the numerator, is the one put at the tie.
            std::frexp(v[1], &m);
            v[3] = std::copysign(std::ldexp(1.0f, m), v[1]) - v[1];
            const auto t = static_cast<double>(v[1]);
            p = t * t * (static_cast<double>(v[0]) * 0.7 * 1.3);
            tie = 2;
        }
        if (TieFactor(p, exponent + m, v[tie])) {
            v[tie] = WithSign(rng, v[tie]);
            return;
        }
    }
}

Operands Draw(Rng& rng, Formula formula, int kind) {
    Operands v{};
    const auto fill = [&](auto draw) { std::ranges::generate(v, [&] { return draw(rng); }); };
    switch (kind) {
    case Mixed: fill(EdgeSingle); break;
    case Gates: fill(GateSingle); break;
    case RandomBits: fill(RandomFiniteSingle); break;
    case Infinities: fill([](Rng& r) { return r.Chance(3) ? WithSign(r, kInf) : GateSingle(r); }); break;
    case OverflowEdge: NearTarget(rng, formula, kOverflowTargets[rng.Below(4)], v); break;
    case UnderflowEdge: NearTarget(rng, formula, kUnderflowTargets[rng.Below(6)], v); break;
    case Ties: NearTie(rng, formula, v); return v;
    case SumZero: // bending with R = -t
        fill(GateSingle);
        v[1] = EdgeSingle(rng);
        v[3] = -v[1];
        break;
    }
    if (kind != OverflowEdge && kind != UnderflowEdge)
        UsualK(rng, formula, v);
    return v;
}

// ---- Texts for number reading ---------------------------------------------

enum TextKind { PlainDecimals, LongMantissas, Midpoints, RangeEdges, Exponents, TypedForms, RandomUnits };

// The full-width form of a character of a number; for '.' one of the three
// points typed with Chinese input methods: '．', '。' and '｡'.
char16_t FullWidth(Rng& rng, char c) {
    if (c >= '0' && c <= '9')
        return static_cast<char16_t>(kWideZero + (c - '0'));
    if (c == '.')
        return kWideForms[rng.Below(3)].wide;
    const auto* form = std::ranges::find(kWideForms, c, &WideForm::ascii);
    return form != std::end(kWideForms) ? form->wide : static_cast<char16_t>(c);
}

// ASCII text to UTF-16, each character full-width with chance 1 in `oneIn` (0: never).
std::u16string Widen(Rng& rng, const std::string& ascii, std::uint32_t oneIn) {
    std::u16string out;
    for (char c : ascii)
        out += (oneIn != 0 && rng.Chance(oneIn)) ? FullWidth(rng, c) : static_cast<char16_t>(c);
    return out;
}

std::string Digits(Rng& rng, int n) {
    std::string s(static_cast<std::size_t>(n), '0');
    for (char& c : s)
        c = static_cast<char>('0' + rng.Below(10));
    return s;
}

std::string Sign(Rng& rng) {
    const std::uint32_t k = rng.Below(6);
    return k == 0 ? "-" : k == 1 ? "+" : "";
}

std::string Mantissa(Rng& rng, int maxDigits) {
    const int a = static_cast<int>(rng.Below(static_cast<std::uint32_t>(maxDigits) + 1));
    const int b = static_cast<int>(rng.Below(static_cast<std::uint32_t>(maxDigits) + 1));
    std::string zeros(rng.Chance(4) ? rng.Below(6) : 0, '0');
    switch (rng.Below(4)) {
    case 0: return zeros + Digits(rng, a > 0 ? a : 1);
    case 1: return zeros + Digits(rng, a) + "." + Digits(rng, b > 0 ? b : 1);
    case 2: return "." + zeros + Digits(rng, b > 0 ? b : 1);
    default: return zeros + Digits(rng, a > 0 ? a : 1) + ".";
    }
}

std::string ExponentPart(Rng& rng) {
    const std::string e = rng.Coin() ? "e" : "E";
    const std::string sign = Sign(rng);
    const std::string lead(rng.Chance(8) ? rng.Below(4) : 0, '0');
    switch (rng.Below(5)) {
    case 0: return e + sign + lead + std::to_string(rng.Below(40));
    case 1: return e + sign + lead + std::to_string(280 + rng.Below(60));
    case 2: return e + sign + lead + std::to_string(rng.Below(400));
    case 3: return e + sign + Digits(rng, 10 + static_cast<int>(rng.Below(16))); // far out of range
    default: return e + sign + std::to_string(rng.Below(3000));
    }
}

std::u16string Junk(Rng& rng) {
    static const char16_t* const kJunk[] = {
        u"",   u"",     u"",   u"mm", u" 12",          u".5", u"e", u"e+",   u"E-x", u",5", u"..",  u"\u3000",
        u"x1", u"e1e2", u"１", u"-3", u"\uFF45\uFF0D", u"\t", u"∞", u"ｅ５", u"。5", u"｡",  u"，5",
    };
    std::u16string s = kJunk[rng.Below(sizeof kJunk / sizeof kJunk[0])];
    if (rng.Chance(6))
        s += static_cast<char16_t>(rng.Next());
    return s;
}

std::u16string Blanks(Rng& rng) {
    std::u16string s(rng.Chance(3) ? rng.Below(4) : 0, u' ');
    for (char16_t& c : s)
        c = u" \t\u3000"[rng.Below(3)];
    return s;
}

// A decimal number: its sign, significant digits without trailing zeros,
// and the decimal exponent of the first digit.
struct Decimal {
    std::string sign{}; // "-" or ""
    std::string digits{};
    long exp10 = 0;
};

// The first `n` significant digits of a non-zero x, rounded `direction`.
Decimal DecimalOf(mpfr_srcptr x, std::size_t n, mpfr_rnd_t direction) {
    mpfr_exp_t exp = 0;
    char* raw = mpfr_get_str(nullptr, &exp, 10, n, x, direction);
    const bool negative = raw[0] == '-';
    Decimal d{negative ? "-" : "", raw + (negative ? 1 : 0), static_cast<long>(exp) - 1};
    mpfr_free_str(raw);
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

// "0.00125", "1250", "12.5"
std::string Plain(const Decimal& d) {
    const auto point = static_cast<std::size_t>(d.exp10 + 1);
    if (d.exp10 < 0)
        return d.sign + "0." + std::string(static_cast<std::size_t>(-d.exp10 - 1), '0') + d.digits;
    if (point >= d.digits.size())
        return d.sign + d.digits + std::string(point - d.digits.size(), '0');
    return d.sign + d.digits.substr(0, point) + "." + d.digits.substr(point);
}

// "0.125e4"
std::string Scientific(const Decimal& d) {
    return d.sign + "0." + d.digits + "e" + std::to_string(d.exp10 + 1);
}

// The exact decimal text of an MPFR number, plain if asked and not too long.
std::string ExactDecimal(mpfr_srcptr x, bool plain) {
    const Decimal d = DecimalOf(x, 1100, MPFR_RNDN);
    return plain && d.exp10 > -41 && d.exp10 < 39 ? Plain(d) : Scientific(d);
}

// A decimal exactly at, just above or just below ±x (in magnitude), negative one time in three.
std::string NearDecimal(Rng& rng, mpfr_ptr x) {
    if (rng.Chance(3))
        mpfr_neg(x, x, MPFR_RNDN);
    const std::string s = ExactDecimal(x, rng.Coin());
    const std::size_t e = std::min(s.find('e'), s.size());
    std::string significand = s.substr(0, e);
    const bool point = significand.find('.') != std::string::npos;
    switch (rng.Below(3)) {
    case 0: break; // exact: a tie when x is a midpoint
    case 1: significand += (point ? "" : ".") + std::string(rng.Below(5), '0') + "1"; break; // a little more
    default:
        if (point) // a little less: the last significant digit dropped, not an integer's last place
            significand.pop_back();
    }
    return significand + s.substr(e);
}

// A text near an end of the double range, or near the exact midpoint between
// a random double and the next one up.
std::string EdgeText(Rng& rng, int kind) {
    constexpr std::uint64_t kFraction = 0x000FFFFFFFFFFFFFull;
    mpfr_t x;
    mpfr_init2(x, 80);
    switch (kind == Midpoints ? 7u : rng.Below(7)) {
    case 0: mpfr_set_d(x, std::numeric_limits<double>::max(), MPFR_RNDN); break;
    case 1: // the point where rounding goes to infinity: 2^1024 - 2^970
        mpfr_set_ui_2exp(x, 1, 1024, MPFR_RNDN);
        mpfr_sub_d(x, x, 0x1p970, MPFR_RNDN);
        break;
    case 2: mpfr_set_ui_2exp(x, 1, 1024, MPFR_RNDN); break;
    case 3: mpfr_set_ui_2exp(x, 1, -1075, MPFR_RNDN); break; // half the least subnormal
    case 4: mpfr_set_ui_2exp(x, 3, -1075, MPFR_RNDN); break; // tie between 2^-1074 and 2^-1073
    case 5: mpfr_set_d(x, std::numeric_limits<double>::denorm_min() * (1 + rng.Below(8)), MPFR_RNDN); break;
    case 6: mpfr_set_d(x, std::numeric_limits<double>::min(), MPFR_RNDN); break;
    default: {                                     // the midpoint
        const std::uint32_t binade = rng.Below(4); // subnormal, top or any
        const std::uint64_t bits = rng.Next();
        double d = std::bit_cast<double>(binade == 0   ? bits & kFraction
                                         : binade == 1 ? 0x7FE0000000000000ull | (bits & kFraction)
                                                       : bits & 0x7FFFFFFFFFFFFFFFull);
        if (!std::isfinite(d))
            d = 1.0;
        const double up = std::nextafter(d, std::numeric_limits<double>::infinity());
        // (d + the next step up) / 2, exactly; above DBL_MAX the step is to 2^1024
        mpfr_set_d(x, d, MPFR_RNDN);
        mpfr_add_d(x, x, std::isinf(up) ? 0x1p971 : up - d, MPFR_RNDN);
        mpfr_add_d(x, x, d, MPFR_RNDN);
        mpfr_div_2ui(x, x, 1, MPFR_RNDN);
    }
    }
    std::string s = NearDecimal(rng, x);
    mpfr_clear(x);
    return s;
}

std::u16string DrawText(Rng& rng, int kind) {
    switch (kind) {
    case PlainDecimals:
        return Widen(rng, Sign(rng) + Mantissa(rng, 9) + (rng.Chance(4) ? ExponentPart(rng) : ""), 0);
    case LongMantissas:
        return Widen(rng,
                     Sign(rng) + Mantissa(rng, 400 + static_cast<int>(rng.Below(600))) +
                         (rng.Coin() ? ExponentPart(rng) : ""),
                     rng.Chance(4) ? 3 : 0);
    case Midpoints:
    case RangeEdges: return Widen(rng, EdgeText(rng, kind), rng.Chance(8) ? 4 : 0);
    case Exponents:
        return Widen(rng, Sign(rng) + Mantissa(rng, 25) + ExponentPart(rng), rng.Chance(6) ? 3 : 0);
    case TypedForms: {
        std::string number = Sign(rng) + Mantissa(rng, 12) + (rng.Coin() ? ExponentPart(rng) : "");
        static const char* const kOdd[] = {"-",  "+",   ".",     "-.",  "+.e5", "e5",
                                           "1e", "1e+", "1.2.3", "--1", "+-2"};
        if (rng.Chance(8))
            number = kOdd[rng.Below(11)];
        return Blanks(rng) + Widen(rng, number, 1 + rng.Below(4)) + Junk(rng);
    }
    default: { // random code units
        constexpr std::u16string_view kAlphabet = u"0123456789012345678901234567890123456789..+-eE \t\u3000"
                                                  u"０１２３４５６７８９．。｡＋－ｅＥaxZ,，∞";
        std::u16string s(rng.Below(14), u' ');
        for (char16_t& c : s)
            c = rng.Chance(10) ? static_cast<char16_t>(rng.Next())
                               : kAlphabet[rng.Below(static_cast<std::uint32_t>(kAlphabet.size()))];
        return s;
    }
    }
}

// ---- Result texts ---------------------------------------------------------

enum SingleKind { AnySingle, Subnormals, LayoutEdges, Ordinary };

float DrawSingle(Rng& rng, int kind) {
    switch (kind) {
    case AnySingle: {
        if (rng.Chance(100))
            return EdgeSingle(rng);
        const float f = FromBits(static_cast<std::uint32_t>(rng.Next()));
        return std::isnan(f) ? WithSign(rng, kInf) : f; // no calculation shows a NaN
    }
    case Subnormals: return WithSign(rng, FromBits(1 + rng.Below(0x7FFFFF)));
    case LayoutEdges: {
        const float edges[] = {1e-6f, 1e-7f, 1e-5f, 1e21f, 1e20f, 1e22f, 1.0f, 0.1f};
        return WithSign(rng, Steps(edges[rng.Below(8)], static_cast<int>(rng.Below(41)) - 20));
    }
    default: return EngineeringSingle(rng);
    }
}

// A result text read loosely, whatever its layout; no digits when it has none.
Decimal Decompose(const std::string& s) {
    Decimal d{s[0] == '-' ? "-" : ""};
    const std::size_t e = std::min(s.find('e'), s.size());
    std::string significand = s.substr(d.sign.size(), e - d.sign.size());
    const auto point = static_cast<long>(std::min(significand.find('.'), significand.size()));
    std::erase(significand, '.');
    const std::size_t first = std::min(significand.find_first_not_of('0'), significand.size());
    d.digits = significand.substr(first);
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    d.exp10 = point - 1 - static_cast<long>(first) + (e < s.size() ? std::strtol(&s[e + 1], nullptr, 10) : 0);
    return d;
}

// A result's text: plain for 1e-6 <= |x| < 1e21, else d[.ddd]e+x / d[.ddd]e-x.
std::string Layout(const Decimal& d) {
    if (d.exp10 >= -6 && d.exp10 <= 20)
        return Plain(d);
    return d.sign + d.digits.substr(0, 1) + (d.digits.size() > 1 ? "." + d.digits.substr(1) : "") +
           (d.exp10 < 0 ? "e-" : "e+") + std::to_string(std::labs(d.exp10));
}

// A decimal with `digits` significant digits next to x, below or above it, read back.
bool ShorterReadsBack(float x, std::size_t digits, mpfr_rnd_t direction) {
    mpfr_t v;
    mpfr_init2(v, 24);
    mpfr_set_flt(v, x, MPFR_RNDN);
    const std::string decimal = Scientific(DecimalOf(v, digits, direction));
    mpfr_clear(v);
    return Bits(ReadField(std::u16string(decimal.begin(), decimal.end())).value) == Bits(x);
}

// Nothing when calc gives what the model gives, else the inputs (`what`) and both outcomes.
template <typename What> std::string Mismatch(const Outcome& model, const Outcome& got, What what) {
    return got == model ? std::string() : what() + "; model " + Describe(model) + "; calc " + Describe(got);
}

// The formula on seeded edge inputs, calc against the model.
std::string FormulaMismatch(Rng& rng, Formula formula, int kind) {
    const Operands v = Draw(rng, formula, kind);
    // An infinite last field comes from an overflow that the check still sees.
    const unsigned pending = std::isinf(v[calc::FieldCount(formula) - 1]) ? unsigned(Overflow) : 0u;
    return Mismatch(ModelFormula(formula, v, pending), CalcFormula(formula, v, pending), [&] {
        std::string what = Name(formula) + "(";
        for (std::size_t k = 0; k < v.size(); ++k)
            what += (k ? ", " : "") + SingleText(v[k]);
        return what + ")" + (pending ? " pending overflow" : "");
    });
}

// TextToNumber against the correctly rounded value of the longest number prefix.
std::string ReadingMismatch(Rng& rng, int kind) {
    const std::u16string text = DrawText(rng, kind);
    const Reading want = ReadNumber(text);
    calc::FpStatus status;
    const double got = calc::TextToNumber(text, status);
    const unsigned gotFlags = FromCalcFlags(status.Flags());
    if (Bits(got) == Bits(want.value) && gotFlags == want.flags)
        return std::string();
    char buf[160];
    std::snprintf(buf, sizeof buf,
                  "model %.17g (%016" PRIx64 ") flags %u; calc %.17g (%016" PRIx64 ") flags %u", want.value,
                  Bits(want.value), want.flags, got, Bits(got), gotFlags);
    return Printable(text) + " prefix \"" + NumberPrefix(text) + "\": " + buf;
}

// SingleToText: the layout, the shortest digits, and the text reads back.
std::string TextMismatch(Rng& rng, int kind) {
    const float x = DrawSingle(rng, kind);
    const std::u16string text = calc::SingleToText(x);
    std::string ascii;
    for (char16_t c : text)
        ascii += c < 0x80 ? static_cast<char>(c) : '?';
    const Decimal d = Decompose(ascii);
    std::string why;
    if (std::isinf(x) || std::fpclassify(x) == FP_ZERO) {
        if (text != (std::isinf(x) ? (x > 0 ? u"∞" : u"-∞") : u"0"))
            why = "infinity or zero text";
    } else if (d.digits.empty() || d.digits.find_first_not_of("0123456789") != std::string::npos ||
               ascii != Layout(d)) {
        why = "layout";
    } else if (Bits(ReadField(text).value) != Bits(x)) {
        why = "does not read back";
    } else if (d.sign.empty() == (x < 0)) {
        why = "sign";
    } else if (d.digits.size() > 1 && (ShorterReadsBack(x, d.digits.size() - 1, MPFR_RNDD) ||
                                       ShorterReadsBack(x, d.digits.size() - 1, MPFR_RNDU))) {
        why = "not the shortest";
    }
    return why.empty() ? why : SingleText(x) + " -> " + Printable(text) + ": " + why;
}

// A whole calculation from random field texts, calc against the model.
std::string ChainMismatch(Rng& rng, Formula formula) {
    static const char16_t* const kTexts[] = {
        u"",      u"0",     u"-0",     u"1e39", u"-1e39",    u"1e400",    u"3.4028235e38", u"3.4028236e38",
        u"1e-46", u"1e-45", u"7e-46",  u"abc",  u"１２．５", u"\u3000 2", u"+3",           u"1e10",
        u"1e20",  u"1e-30", u"２。５", u"｡5",
    };
    std::vector<std::u16string> fields;
    for (int k = 0; k < 4; ++k) {
        switch (rng.Below(4)) {
        case 0: fields.push_back(kTexts[rng.Below(sizeof kTexts / sizeof kTexts[0])]); break;
        case 1: fields.push_back(DrawText(rng, PlainDecimals)); break;
        case 2: fields.push_back(DrawText(rng, rng.Coin() ? Exponents : TypedForms)); break;
        default: {
            char buf[32];
            std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(EdgeSingle(rng)));
            fields.push_back(std::u16string(buf, buf + std::strlen(buf)));
        }
        }
    }
    if (formula == Formula::Bending && rng.Chance(8)) // R = -t
        fields[3] = (fields[1].empty() || fields[1][0] != u'-') ? u"-" + fields[1] : fields[1].substr(1);
    return Mismatch(Shown(ModelChain(formula, fields)), CalcChain(formula, fields), [&] {
        std::string what = Name(formula) + " fields";
        for (std::size_t k = 0; k < calc::FieldCount(formula); ++k)
            what += ' ' + Printable(fields[k]);
        return what;
    });
}

} // namespace

// What went wrong with one seeded case, or nothing.
using Check = std::function<std::string(Rng&)>;
Q_DECLARE_METATYPE(Check)

// Rows of seeded cases: each `count` (scaled) cases, drawn from its own seed,
// numbered on from `firstSeed`.
static void AddSweepRows(int firstSeed, const std::vector<std::tuple<std::string, int, Check>>& rows) {
    for (const auto& [name, count, check] : rows)
        QTest::newRow(name.c_str()) << std::max(1, static_cast<int>(count * kScale)) << firstSeed++ << check;
}

class TestReference : public QObject {
    Q_OBJECT
private slots:
    void model_data() { AddFormulaCases(); }
    void model();
    void examples_data();
    void examples();
    void sweeps_data();
    void sweeps();
};
// The model itself, against the formula cases worked out by hand.
void TestReference::model() {
    QFETCH(FormulaCase, formulaCase);
    const auto& [formula, operands, pending, result, flags, check] = formulaCase;
    const Outcome want = Expected(result, flags, check);
    const Outcome got = ModelFormula(formula, operands, FromCalcFlags(pending));
    QVERIFY2(got == want, qPrintable(QString::fromStdString(Describe(got) + ", expected " + Describe(want))));
    QCOMPARE(BendingFactorBits(0), quint64(0x3FE6666666666666ull));
    QCOMPARE(BendingFactorBits(1), quint64(0x3FF4CCCCCCCCCCCDull));
}

// Whole calculations from typed texts, through the model and through calc.
void TestReference::examples_data() {
    const QStringList empty4{"", "", "", ""};
    const QString tiny = "0." + QString(49, u'0') + "1";
    constexpr auto B = Formula::Blanking, D = Formula::Drawing, N = Formula::Bending;
    const WorkedExample more[] = {
        // name, formula, fields, (shown), result
        {"drawing full-width digits", D, {"１００", "１．５", "４００", "０．６"}, {}, 36000},
        {"blanking full-width, ideographic full stop", B, {"１００", "２。５", "３００"}, {}, 97500},
        {"drawing halfwidth ideographic full stop", D, {"100", "1｡5", "400", "｡6"}, {}, 36000},
        {"blanking all empty", B, {"", "", ""}, {}},
        {"drawing all empty", D, empty4, {}},
        {"bending all empty", N, empty4, {}},
        {"drawing L 5 only: gate open, product 0", D, {"5", "", "", ""}, {}},
        {"bending tiny σb narrows to 0 and closes the gate", N, {"1", "", tiny, ""}, {}},
    };
    std::vector<WorkedExample> examples = WorkedExamples();
    examples.insert(examples.end(), std::begin(more), std::end(more));
    QTest::addColumn<WorkedExample>("example");
    for (const WorkedExample& e : examples)
        QTest::newRow(qPrintable(e.name)) << e;
}

void TestReference::examples() {
    QFETCH(WorkedExample, example);
    std::vector<std::u16string> texts;
    std::ranges::transform(example.inputs, std::back_inserter(texts), &QString::toStdU16String);
    const Outcome want = Expected(example.value, example.flags, example.check);
    const Outcome model = ModelChain(example.formula, texts), got = CalcChain(example.formula, texts);
    QVERIFY2(model == want && got == Shown(want),
             qPrintable(QString::fromStdString("model " + Describe(model) + ", calc " + Describe(got) +
                                               "; expected " + Describe(want))));
}

// calc against the model on seeded inputs: the formulas, number reading, the
// result text and whole calculations from field texts.
void TestReference::sweeps_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("seed");
    QTest::addColumn<Check>("check");
    const std::tuple<const char*, int, int> kinds[] = {
        {"mixed edges", Mixed, 400000},
        {"gates", Gates, 100000},
        {"random bits", RandomBits, 200000},
        {"infinities", Infinities, 100000},
        {"result at the single overflow edge", OverflowEdge, 150000},
        {"result at the single underflow edge", UnderflowEdge, 100000},
        {"result at a rounding tie", Ties, 100000},
    };
    const auto formula = [](Formula f, int kind) {
        return [=](Rng& rng) { return FormulaMismatch(rng, f, kind); };
    };
    std::vector<std::tuple<std::string, int, Check>> formulas;
    for (const Formula f : {Formula::Blanking, Formula::Drawing, Formula::Bending})
        for (const auto& [name, kind, count] : kinds)
            formulas.emplace_back(Name(f) + ": " + name, count, formula(f, kind));
    formulas.emplace_back("bending: t + R = 0", 100000, formula(Formula::Bending, SumZero));
    AddSweepRows(0, formulas);
    const auto read = [](int kind) { return [=](Rng& rng) { return ReadingMismatch(rng, kind); }; };
    AddSweepRows(100, {{"reading: plain decimals", 60000, read(PlainDecimals)},
                       {"reading: long significands", 6000, read(LongMantissas)},
                       {"reading: double midpoints", 40000, read(Midpoints)},
                       {"reading: double range edges", 20000, read(RangeEdges)},
                       {"reading: exponents near and far out of range", 70000, read(Exponents)},
                       {"reading: typed forms: blanks, signs, full-width, junk", 70000, read(TypedForms)},
                       {"reading: random code units", 50000, read(RandomUnits)}});
    const auto text = [](int kind) { return [=](Rng& rng) { return TextMismatch(rng, kind); }; };
    AddSweepRows(200, {{"result text: any single", 120000, text(AnySingle)},
                       {"result text: subnormals", 30000, text(Subnormals)},
                       {"result text: layout edges 1e-6 and 1e21", 20000, text(LayoutEdges)},
                       {"result text: ordinary values", 40000, text(Ordinary)}});
    const auto chain = [](Formula f) { return [=](Rng& rng) { return ChainMismatch(rng, f); }; };
    AddSweepRows(300, {{"blanking fields", 30000, chain(Formula::Blanking)},
                       {"drawing fields", 30000, chain(Formula::Drawing)},
                       {"bending fields", 30000, chain(Formula::Bending)}});
}

// The row's seeded cases, each checked; the first few failures shown.
void TestReference::sweeps() {
    QFETCH(int, count);
    QFETCH(int, seed);
    QFETCH(Check, check);
    Rng rng(kBaseSeed ^ (0x9E3779B97F4A7C15ull * static_cast<std::uint64_t>(seed + 1)));
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        const std::string failure = check(rng);
        if (!failure.empty() && ++failed <= 10)
            qWarning("case %d: %s", i, failure.c_str());
    }
    const QString summary = QStringLiteral("%1 of %2 failed (PF_REFERENCE_SEED=0x%3)").arg(failed).arg(count);
    QVERIFY2(failed == 0, qPrintable(summary.arg(kBaseSeed, 0, 16)));
}

QTEST_APPLESS_MAIN(TestReference)
#include "tst_reference.moc"
