// The calc library against an exact MPFR model: the force formulas on
// millions of seeded edge inputs, number reading and the result text.
//
// PF_REFERENCE_SEED=<n> changes the base seed (default fixed);
// PF_REFERENCE_SCALE=<f> scales every case count (default 1, for sanitizer runs).
#include "calc_and_model.h"
#include "formula_table.h"
#include "generators.h"
#include "worked_examples.h"

#include "calc/calculation.h"
#include "calc/forces.h"
#include "calc/fpstatus.h"
#include "calc/numconv.h"

#include <QTest>

#include <mpfr.h>

#include <array>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

using namespace reference;

namespace {

const char* const kFormulaNames[] = {"blanking", "drawing", "bending"};
calc::Formula Of(int formula) { return static_cast<calc::Formula>(formula); }

constexpr float kInf = std::numeric_limits<float>::infinity();

// Index of the last field read: τb in blanking, k in drawing, R in bending.
int LastField(int formula) { return static_cast<int>(calc::FieldCount(Of(formula))) - 1; }

std::string SingleText(float f) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%08" PRIx32 " (%.9g)", Bits(f), static_cast<double>(f));
    return buf;
}

// The quoted text, shortened in the middle when long.
std::string Quoted(std::u16string_view text) {
    std::string s = reference::Printable(text);
    if (s.size() > 300)
        s = s.substr(0, 150) + "..." + s.substr(s.size() - 100);
    return s;
}

std::uint64_t BaseSeed() {
    static const std::uint64_t seed = [] {
        const char* env = std::getenv("PF_REFERENCE_SEED");
        return env && *env ? std::strtoull(env, nullptr, 0) : 0x5EED0F0A11ull;
    }();
    return seed;
}

double Scale() {
    static const double scale = [] {
        const char* env = std::getenv("PF_REFERENCE_SCALE");
        const double s = env && *env ? std::strtod(env, nullptr) : 1.0;
        return s > 0 ? s : 1.0;
    }();
    return scale;
}

int Scaled(int count) {
    const auto n = static_cast<int>(count * Scale());
    return n < 1 ? 1 : n;
}

std::uint64_t RowSeed(int row) {
    return BaseSeed() ^ (0x9E3779B97F4A7C15ull * static_cast<std::uint64_t>(row + 1));
}

// Tallies one row's comparisons and keeps the first few mismatches.
class Tally {
public:
    explicit Tally(const char* row) : row_(row) {}
    void Pass() { ++passed_; }
    void Fail(const std::string& what) {
        if (++failed_ <= 10)
            qWarning("%s: %s", row_, what.c_str());
    }
    long long passed() const { return passed_; }
    long long failed() const { return failed_; }
    // Fails the test function, naming the seed, unless everything matched.
    void Report() const {
        const QString summary = QStringLiteral("%1: %2 passed, %3 failed (PF_REFERENCE_SEED=0x%4)")
                                    .arg(QString::fromUtf8(row_))
                                    .arg(passed_)
                                    .arg(failed_)
                                    .arg(QString::number(BaseSeed(), 16));
        if (failed_ == 0) {
            qInfo("%s", qPrintable(summary));
            return;
        }
        QTest::qFail(qPrintable(summary), __FILE__, __LINE__);
    }

private:
    const char* row_;
    long long passed_ = 0;
    long long failed_ = 0;
};

// ---- Inputs of the formula sweep ------------------------------------------

enum Kind { Mixed, Gates, RandomBits, Infinities, OverflowEdge, UnderflowEdge, SumZero, Ties };

// Targets for the product at the edges of the single range: FLT_MAX, the
// point where rounding goes to infinity, 2^128; the least subnormal, half of
// it (ties to zero), one and a half of it, the least normal.
constexpr double kOverflowTargets[] = {0x1.fffffep127, 0x1.ffffffp127, 0x1p128, 0x1.fffffe8p127};
constexpr double kUnderflowTargets[] = {0x1p-149, 0x1p-150, 0x1.8p-149, 0x1p-126, 0x1.fffffcp-127, 0x1p-151};

float Jitter(Rng& rng, float f) { return Steps(f, static_cast<int>(rng.Below(7)) - 3); }

// Fills v so that the formula's result lands near `target` (sign random).
void NearTarget(Rng& rng, int formula, double target, Operands& v) {
    for (;;) {
        for (float& x : v)
            x = WithSign(rng, ScaleSingle(rng), 4);
        if (formula == BlankingFormula && !rng.Chance(5))
            v[3] = calc::kBlankingCoefficient;
        int solve;
        double rest;
        if (formula == BendingFormula) {
            // q = t²·B·0.91·σb / (t + R): solve for B.
            solve = 0;
            const auto t = static_cast<double>(v[1]);
            rest = t * t * 0.91 * static_cast<double>(v[2]) / (t + static_cast<double>(v[3]));
        } else {
            solve = static_cast<int>(rng.Below(4));
            if (formula == BlankingFormula && solve == 3)
                solve = 1;
            rest = 1;
            for (int i = 0; i < 4; ++i)
                if (i != solve)
                    rest *= static_cast<double>(v[static_cast<std::size_t>(i)]);
        }
        const auto x = static_cast<float>(target / rest);
        if (!std::isfinite(x) || std::fpclassify(x) == FP_ZERO || !std::isfinite(rest))
            continue;
        v[static_cast<std::size_t>(solve)] = Jitter(rng, x);
        return;
    }
}

// Fills v so that the double value before the final narrowing is within a
// few ulps of a rounding tie: the last operation's rounding, and with it the
// order of the operations and the constants, decides the result.
void NearTie(Rng& rng, int formula, Operands& v) {
    const int exponent = static_cast<int>(rng.Below(241)) - 120;
    for (;;) {
        for (float& x : v)
            x = WithSign(rng, ScaleSingle(rng), 4);
        if (formula == BendingFormula) {
            // t + R a power of two, so the quotient is exact; σb, the last
            // factor of the numerator, is the one put at the tie.
            int m = 0;
            std::frexp(v[1], &m);
            v[3] = std::copysign(std::ldexp(1.0f, m), v[1]) - v[1];
            const auto t = static_cast<double>(v[1]);
            const double c = static_cast<double>(v[0]) * 0.7 * 1.3;
            const double n = t * t * c;
            if (TieFactor(n, exponent + m, v[2])) {
                v[2] = WithSign(rng, v[2]);
                return;
            }
        } else {
            if (formula == BlankingFormula && !rng.Chance(5))
                v[3] = calc::kBlankingCoefficient;
            // In field order L, t, τb/σb, K/k; multiplied as L·K·τb·t, L·k·σb·t.
            const double p =
                static_cast<double>(v[0]) * static_cast<double>(v[3]) * static_cast<double>(v[2]);
            if (TieFactor(p, exponent, v[1])) {
                v[1] = WithSign(rng, v[1]);
                return;
            }
        }
    }
}

Operands Draw(Rng& rng, int formula, int kind) {
    Operands v{};
    switch (kind) {
    case Mixed:
        for (float& x : v)
            x = EdgeSingle(rng);
        break;
    case Gates:
        for (float& x : v)
            x = GateSingle(rng);
        break;
    case RandomBits:
        for (float& x : v)
            x = RandomFiniteSingle(rng);
        break;
    case Infinities:
        for (float& x : v)
            x = rng.Chance(3) ? WithSign(rng, kInf) : GateSingle(rng);
        break;
    case OverflowEdge: NearTarget(rng, formula, kOverflowTargets[rng.Below(4)], v); break;
    case UnderflowEdge: NearTarget(rng, formula, kUnderflowTargets[rng.Below(6)], v); break;
    case Ties: NearTie(rng, formula, v); return v;
    case SumZero: // bending with R = -t
        for (float& x : v)
            x = GateSingle(rng);
        v[1] = EdgeSingle(rng);
        v[3] = -v[1];
        break;
    }
    // The blanking window has no field for K: mostly the program's own value.
    if (formula == BlankingFormula && kind != OverflowEdge && kind != UnderflowEdge && !rng.Chance(5))
        v[3] = calc::kBlankingCoefficient;
    return v;
}

// An infinite last field comes from an overflow that the check still sees;
// an infinite earlier field arrives without one.
unsigned PendingFor(int formula, const Operands& v) {
    return std::isinf(v[static_cast<std::size_t>(LastField(formula))]) ? unsigned(Overflow) : 0u;
}

// ---- Texts for number reading ---------------------------------------------

enum TextKind { PlainDecimals, LongMantissas, Midpoints, RangeEdges, Exponents, TypedForms, RandomUnits };

// The full-width form of a character of a number; for '.' one of the three
// points typed with Chinese input methods: '．', '。' and '｡'.
char16_t FullWidth(Rng& rng, char c) {
    if (c >= '0' && c <= '9')
        return static_cast<char16_t>(0xFF10 + (c - '0'));
    static const char16_t kPoints[] = {0xFF0E, 0x3002, 0xFF61};
    switch (c) {
    case '.': return kPoints[rng.Below(3)];
    case '+': return 0xFF0B;
    case '-': return 0xFF0D;
    case 'e': return 0xFF45;
    case 'E': return 0xFF25;
    default: return static_cast<char16_t>(c);
    }
}

// ASCII text to UTF-16, each character full-width with chance 1 in `oneIn` (0: never).
std::u16string Widen(Rng& rng, const std::string& ascii, std::uint32_t oneIn) {
    std::u16string out;
    for (char c : ascii)
        out += (oneIn != 0 && rng.Chance(oneIn)) ? FullWidth(rng, c) : static_cast<char16_t>(c);
    return out;
}

std::string Digits(Rng& rng, int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += static_cast<char>('0' + rng.Below(10));
    return s;
}

std::string Sign(Rng& rng) {
    switch (rng.Below(6)) {
    case 0: return "-";
    case 1: return "+";
    default: return "";
    }
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
    static const char16_t kBlanks[] = {u' ', u'\t', u'\u3000'};
    std::u16string s;
    const std::uint32_t n = rng.Chance(3) ? rng.Below(4) : 0;
    for (std::uint32_t i = 0; i < n; ++i)
        s += kBlanks[rng.Below(3)];
    return s;
}

// The exact decimal text of an MPFR number ("0.<digits>e<exp>" or plain).
std::string ExactDecimal(mpfr_srcptr x, bool plain) {
    mpfr_exp_t exp = 0;
    char* raw = mpfr_get_str(nullptr, &exp, 10, 1100, x, MPFR_RNDN);
    std::string digits = raw;
    mpfr_free_str(raw);
    std::string sign;
    if (!digits.empty() && digits[0] == '-') {
        sign = "-";
        digits.erase(0, 1);
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    if (plain && exp > -40 && exp < 40) {
        if (exp <= 0)
            return sign + "0." + std::string(static_cast<std::size_t>(-exp), '0') + digits;
        if (static_cast<std::size_t>(exp) >= digits.size())
            return sign + digits + std::string(static_cast<std::size_t>(exp) - digits.size(), '0');
        return sign + digits.substr(0, static_cast<std::size_t>(exp)) + "." +
               digits.substr(static_cast<std::size_t>(exp));
    }
    return sign + "0." + digits + "e" + std::to_string(static_cast<long>(exp));
}

// A decimal exactly at, just above or just below `x` (in magnitude).
std::string NearDecimal(Rng& rng, mpfr_srcptr x) {
    std::string s = ExactDecimal(x, rng.Coin());
    switch (rng.Below(3)) {
    case 0: return s; // exact: a tie when x is a midpoint
    case 1: {         // a little more: digits appended to the significand
        const std::size_t e = s.find('e');
        const std::string more =
            (s.find('.') == std::string::npos ? "." : "") + std::string(rng.Below(5), '0') + "1";
        return e == std::string::npos ? s + more : s.substr(0, e) + more + s.substr(e);
    }
    default: { // a little less: the last significant digit dropped
        const std::size_t e = s.find('e');
        std::string head = e == std::string::npos ? s : s.substr(0, e);
        const std::string tail = e == std::string::npos ? "" : s.substr(e);
        if (head.find('.') == std::string::npos)
            return s; // an integer: its last digit is a place, not a fraction
        head.pop_back();
        return head + tail;
    }
    }
}

// The exact midpoint between a random double and the next one up.
std::string MidpointText(Rng& rng) {
    double d;
    switch (rng.Below(4)) {
    case 0: d = std::bit_cast<double>(rng.Next() & 0x000FFFFFFFFFFFFFull); break; // subnormal
    case 1:
        d = std::bit_cast<double>(0x7FE0000000000000ull | (rng.Next() & 0x000FFFFFFFFFFFFFull));
        break; // top binade
    default: {
        d = std::bit_cast<double>(rng.Next() & 0x7FFFFFFFFFFFFFFFull);
        if (!std::isfinite(d))
            d = 1.0;
    }
    }
    mpfr_t a, b, m;
    mpfr_inits2(60, a, b, m, static_cast<mpfr_ptr>(nullptr));
    mpfr_set_d(a, d, MPFR_RNDN);
    const double up = std::nextafter(d, std::numeric_limits<double>::infinity());
    if (std::isinf(up)) // above DBL_MAX the next step is 2^1024
        mpfr_set_ui_2exp(b, 1, 1024, MPFR_RNDN);
    else
        mpfr_set_d(b, up, MPFR_RNDN);
    mpfr_add(m, a, b, MPFR_RNDN);
    mpfr_div_2ui(m, m, 1, MPFR_RNDN);
    if (rng.Chance(3))
        mpfr_neg(m, m, MPFR_RNDN);
    std::string s = NearDecimal(rng, m);
    mpfr_clears(a, b, m, static_cast<mpfr_ptr>(nullptr));
    return s;
}

// Texts at the ends of the double range.
std::string RangeEdgeText(Rng& rng) {
    mpfr_t x;
    mpfr_init2(x, 80);
    switch (rng.Below(7)) {
    case 0: mpfr_set_d(x, std::numeric_limits<double>::max(), MPFR_RNDN); break;
    case 1: // the point where rounding goes to infinity: 2^1024 - 2^970
        mpfr_set_ui_2exp(x, 1, 1024, MPFR_RNDN);
        mpfr_sub_d(x, x, 0x1p970, MPFR_RNDN);
        break;
    case 2: mpfr_set_ui_2exp(x, 1, 1024, MPFR_RNDN); break;
    case 3: mpfr_set_ui_2exp(x, 1, -1075, MPFR_RNDN); break; // half the least subnormal
    case 4: mpfr_set_ui_2exp(x, 3, -1075, MPFR_RNDN); break; // tie between 2^-1074 and 2^-1073
    case 5: mpfr_set_d(x, std::numeric_limits<double>::denorm_min() * (1 + rng.Below(8)), MPFR_RNDN); break;
    default: mpfr_set_d(x, std::numeric_limits<double>::min(), MPFR_RNDN); break;
    }
    if (rng.Chance(3))
        mpfr_neg(x, x, MPFR_RNDN);
    std::string s = NearDecimal(rng, x);
    mpfr_clear(x);
    return s;
}

std::u16string RandomUnitsText(Rng& rng) {
    static const char16_t kAlphabet[] = u"0123456789012345678901234567890123456789..+-eE \t\u3000"
                                        u"０１２３４５６７８９．。｡＋－ｅＥaxZ,，∞";
    std::u16string s;
    const std::uint32_t n = rng.Below(14);
    constexpr auto kSize = static_cast<std::uint32_t>(sizeof kAlphabet / sizeof kAlphabet[0] - 1);
    for (std::uint32_t i = 0; i < n; ++i)
        s += rng.Chance(10) ? static_cast<char16_t>(rng.Next()) : kAlphabet[rng.Below(kSize)];
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
    case Midpoints: return Widen(rng, MidpointText(rng), rng.Chance(8) ? 4 : 0);
    case RangeEdges: return Widen(rng, RangeEdgeText(rng), rng.Chance(8) ? 4 : 0);
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
    default: return RandomUnitsText(rng);
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

// Checks the text's layout: plain for a decimal 1e-6 <= |d| < 1e21, else
// d[.ddd]e+x / d[.ddd]e-x; no superfluous zeros. Gives the significant
// digits and the decimal exponent of the first one.
bool ParseResultText(const std::string& s, std::string& digits, long& exp10, std::string& why) {
    std::size_t i = s[0] == '-' ? 1 : 0;
    const std::size_t e = s.find('e');
    const std::string body = s.substr(i, e == std::string::npos ? std::string::npos : e - i);
    const std::size_t point = body.find('.');
    if (body.empty() || body.find_first_not_of("0123456789.") != std::string::npos ||
        (point != std::string::npos && (point == 0 || point + 1 == body.size() || body.back() == '0'))) {
        why = "malformed significand";
        return false;
    }
    const std::string intPart = body.substr(0, point);
    const std::string frac = point == std::string::npos ? "" : body.substr(point + 1);
    if (intPart.size() > 1 && intPart[0] == '0') {
        why = "leading zero";
        return false;
    }
    const std::string all = intPart + frac;
    const std::size_t first = all.find_first_not_of('0');
    if (first == std::string::npos) {
        why = "no significant digit";
        return false;
    }
    digits = all.substr(first);
    while (digits.back() == '0')
        digits.pop_back();
    exp10 = static_cast<long>(intPart.size()) - 1 - static_cast<long>(first);
    if (e == std::string::npos) {
        if (exp10 < -6 || exp10 > 20) {
            why = "plain layout out of 1e-6 .. 1e21";
            return false;
        }
        return true;
    }
    const std::string ex = s.substr(e + 1);
    if (intPart.size() != 1 || intPart[0] == '0' || ex.size() < 2 || (ex[0] != '+' && ex[0] != '-') ||
        ex.find_first_not_of("0123456789", 1) != std::string::npos || (ex.size() > 2 && ex[1] == '0')) {
        why = "malformed exponent form";
        return false;
    }
    exp10 = std::strtol(ex.c_str(), nullptr, 10);
    if (exp10 >= -6 && exp10 <= 20) {
        why = "exponent form inside 1e-6 .. 1e21";
        return false;
    }
    return true;
}

// A decimal with `digits` significant digits next to x, below or above it, read back.
bool ShorterReadsBack(float x, int digits, mpfr_rnd_t direction) {
    mpfr_t v;
    mpfr_init2(v, 24);
    mpfr_set_flt(v, x, MPFR_RNDN);
    mpfr_exp_t exp = 0;
    char* raw = mpfr_get_str(nullptr, &exp, 10, static_cast<std::size_t>(digits), v, direction);
    std::string text = raw;
    mpfr_free_str(raw);
    mpfr_clear(v);
    std::string sign;
    if (text[0] == '-') {
        sign = "-";
        text.erase(0, 1);
    }
    const std::string decimal = sign + "0." + text + "e" + std::to_string(static_cast<long>(exp));
    return Bits(ReadField(std::u16string(decimal.begin(), decimal.end())).value) == Bits(x);
}

} // namespace

class TestReference : public QObject {
    Q_OBJECT
private slots:
    void model_data();
    void model();
    void examples_data();
    void examples();
    void formulas_data();
    void formulas();
    void textToNumber_data();
    void textToNumber();
    void singleToText_data();
    void singleToText();
    void fieldChains_data();
    void fieldChains();
    void cleanupTestCase();

private:
    // The row's `count` seeded cases (columns "count" and "row"): `check`
    // gives what went wrong with one case, or nothing; counted under `what`.
    void Sweep(const std::string& what, const std::function<std::string(Rng&)>& check);

    std::map<std::string, long long> comparisons_;
};

void TestReference::Sweep(const std::string& what, const std::function<std::string(Rng&)>& check) {
    QFETCH(int, count);
    QFETCH(int, row);
    Rng rng(RowSeed(row));
    Tally tally(QTest::currentDataTag());
    for (int i = 0; i < count; ++i) {
        const std::string failure = check(rng);
        if (failure.empty())
            tally.Pass();
        else
            tally.Fail("case " + std::to_string(i) + ": " + failure);
    }
    comparisons_[what] += tally.passed() + tally.failed();
    tally.Report();
}

// The model itself, against values worked out by hand.
void TestReference::model_data() {
    FormulaColumns();
    const float tiny = FromBits(1);
    QTest::newRow("bending unit inputs: 0.7 × 1.3")
        << int(BendingFormula) << 1.0f << 1.0f << 1.0f << 0.0f << 0u << false << 0u << 0 << Bits(0.91f);
    QTest::newRow("drawing -0 product")
        << int(DrawingFormula) << -5.0f << 0.0f << 0.0f << 0.0f << 0u << false << 0u << 0 << 0x80000000u;
    QTest::newRow("drawing gate closed by -0 ignores pending")
        << int(DrawingFormula) << -0.0f << -0.0f << 0.0f << -0.0f << unsigned(Overflow) << false << 0u << 0
        << 0u;
    QTest::newRow("drawing FLT_MAX rounding edge stays finite")
        << int(DrawingFormula) << 0x1.fffffep127f << 1.0f << 1.0f << 1.0f << 0u << false << 0u << 0
        << 0x7F7FFFFFu;
    QTest::newRow("drawing past the rounding edge overflows")
        << int(DrawingFormula) << 0x1.fffffep127f << 0x1.000002p0f << 1.0f << 1.0f << 0u << true
        << unsigned(Overflow) << 1 << 0u;
    QTest::newRow("drawing half the least subnormal ties to zero")
        << int(DrawingFormula) << tiny << 0.5f << 1.0f << 1.0f << 0u << false << 0u << 0 << 0u;
    QTest::newRow("drawing just above half rounds up")
        << int(DrawingFormula) << tiny << 0x1.000002p-1f << 1.0f << 1.0f << 0u << false << 0u << 0 << 1u;
    QTest::newRow("drawing inf × 0 invalid")
        << int(DrawingFormula) << kInf << 0.0f << 1.0f << 1.0f << 0u << true << unsigned(Invalid) << 1 << 0u;
    QTest::newRow("drawing inf operand is no overflow")
        << int(DrawingFormula) << kInf << 2.0f << 1.0f << 1.0f << 0u << false << 0u << 0 << 0x7F800000u;
    QTest::newRow("bending inf / 0 raises nothing")
        << int(BendingFormula) << kInf << 1.0f << 1.0f << -1.0f << 0u << false << 0u << 0 << 0x7F800000u;
    QTest::newRow("bending 0 / 0 at the second check")
        << int(BendingFormula) << 0.0f << 1.0f << 1.0f << -1.0f << 0u << true << unsigned(Invalid) << 2 << 0u;
    QTest::newRow("bending x / 0 at the second check") << int(BendingFormula) << 1.0f << 1.0f << 1.0f << -1.0f
                                                       << 0u << true << unsigned(DivByZero) << 2 << 0u;
    QTest::newRow("bending inf - inf at the first check")
        << int(BendingFormula) << 1.0f << kInf << 1.0f << -kInf << unsigned(Overflow) << true
        << unsigned(Invalid | Overflow) << 1 << 0u;
    QTest::newRow("bending inf / inf at the second check")
        << int(BendingFormula) << kInf << 1.0f << 1.0f << kInf << 0u << true << unsigned(Invalid) << 2 << 0u;
    QTest::newRow("bending gate ignores B and R") << int(BendingFormula) << kInf << -0.0f << 0.0f << kInf
                                                  << unsigned(Overflow) << false << 0u << 0 << 0u;
    QTest::newRow("blanking 100 2 300 with K 1") << int(BlankingFormula) << 100.0f << 2.0f << 300.0f << 1.0f
                                                 << 0u << false << 0u << 0 << Bits(60000.0f);
    QTest::newRow("blanking pending overflow") << int(BlankingFormula) << 1.0f << 1.0f << kInf << 1.3f
                                               << unsigned(Overflow) << true << unsigned(Overflow) << 1 << 0u;
}

void TestReference::model() {
    const FormulaCase t = FetchFormulaCase();
    const Outcome want = t.fault ? Outcome{true, t.flags, t.check, 0} : Outcome{false, 0, 0, t.bits};
    const Outcome got = ModelFormula(Of(t.formula), t.operands, t.pending);
    QVERIFY2(got == want, qPrintable(QString::fromStdString(Describe(got) + ", expected " + Describe(want))));
    QCOMPARE(BendingFactorBits(0), quint64(0x3FE6666666666666ull));
    QCOMPARE(BendingFactorBits(1), quint64(0x3FF4CCCCCCCCCCCDull));
}

// Whole calculations from typed texts, through the model and through calc.
void TestReference::examples_data() {
    QTest::addColumn<int>("formula");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<bool>("fault");
    QTest::addColumn<unsigned>("flags");
    QTest::addColumn<int>("check");
    QTest::addColumn<float>("result");
    const QString big = QStringLiteral("1") + QString(39, QLatin1Char('0'));
    const QString tiny = QStringLiteral("0.") + QString(49, QLatin1Char('0')) + QLatin1Char('1');
    const QStringList empty4{"", "", "", ""};
    const int B = BlankingFormula, D = DrawingFormula, N = BendingFormula;
    auto ok = [](const char* name, int f, const QStringList& fields, float r) {
        QTest::newRow(name) << f << fields << false << 0u << 0 << r;
    };
    for (const WorkedExample& e : WorkedExamples())
        QTest::newRow(qPrintable(e.name))
            << int(e.formula) << e.inputs << e.fault << FromCalcFlags(e.flags) << e.check << e.value;
    ok("drawing full-width digits", D, {"１００", "１．５", "４００", "０．６"}, 36000.0f);
    ok("blanking full-width, ideographic full stop", B, {"１００", "２。５", "３００"}, 97500.0f);
    ok("drawing halfwidth ideographic full stop", D, {"100", "1｡5", "400", "｡6"}, 36000.0f);
    ok("blanking all empty", B, {"", "", ""}, 0.0f);
    ok("drawing all empty", D, empty4, 0.0f);
    ok("bending all empty", N, empty4, 0.0f);
    ok("drawing L 5 only: gate open, product 0", D, {"5", "", "", ""}, 0.0f);
    ok("bending tiny σb narrows to 0 and closes the gate", N, {"1", "", tiny, ""}, 0.0f);
    ok("drawing L beyond single, unseen", D, {big, "1", "1", "1"}, kInf);
    ok("drawing L beyond double, unseen", D, {"-1e400", "1", "1", "1"}, -kInf);
}

void TestReference::examples() {
    QFETCH(int, formula);
    QFETCH(QStringList, fields);
    QFETCH(bool, fault);
    QFETCH(unsigned, flags);
    QFETCH(int, check);
    QFETCH(float, result);
    std::vector<std::u16string> texts;
    for (const QString& f : fields)
        texts.push_back(f.toStdU16String());
    const Outcome want = fault ? Outcome{true, flags, check, 0} : Outcome{false, 0, 0, Bits(result)};
    const Outcome model = ModelChain(Of(formula), texts);
    const Outcome got = CalcChain(Of(formula), texts);
    QVERIFY2(model == want, qPrintable(QString::fromStdString("model: " + Describe(model) + ", expected " +
                                                              Describe(want))));
    QVERIFY2(got == Shown(want),
             qPrintable(QString::fromStdString("calc: " + Describe(got) + ", expected " + Describe(want))));
}

// The formulas on seeded edge inputs, calc against the model.
void TestReference::formulas_data() {
    QTest::addColumn<int>("formula");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("row");
    struct Row {
        const char* name;
        int kind;
        int count;
    };
    const Row rows[] = {
        {"mixed edges", Mixed, 400000},
        {"gates", Gates, 100000},
        {"random bits", RandomBits, 200000},
        {"infinities", Infinities, 100000},
        {"result at the single overflow edge", OverflowEdge, 150000},
        {"result at the single underflow edge", UnderflowEdge, 100000},
        {"result at a rounding tie", Ties, 100000},
    };
    int id = 0;
    for (int f = 0; f < 3; ++f) {
        for (const Row& r : rows) {
            const std::string name = std::string(kFormulaNames[f]) + ": " + r.name;
            QTest::newRow(name.c_str()) << f << r.kind << Scaled(r.count) << id++;
        }
        if (f == BendingFormula)
            QTest::newRow("bending: t + R = 0") << f << int(SumZero) << Scaled(100000) << id++;
    }
}

void TestReference::formulas() {
    QFETCH(int, formula);
    QFETCH(int, kind);
    Sweep(kFormulaNames[formula], [&](Rng& rng) {
        const Operands v = Draw(rng, formula, kind);
        const unsigned pending = PendingFor(formula, v);
        const Outcome want = ModelFormula(Of(formula), v, pending);
        const Outcome got = CalcFormula(Of(formula), v, pending);
        if (got == want)
            return std::string();
        std::string what = std::string(kFormulaNames[formula]) + "(";
        for (int k = 0; k < 4; ++k)
            what += (k ? ", " : "") + SingleText(v[static_cast<std::size_t>(k)]);
        return what + ")" + (pending ? " pending overflow" : "") + "; model " + Describe(want) + "; calc " +
               Describe(got);
    });
}

// TextToNumber against the correctly rounded value of the longest number prefix.
void TestReference::textToNumber_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("row");
    QTest::newRow("plain decimals") << int(PlainDecimals) << Scaled(60000) << 100;
    QTest::newRow("long significands") << int(LongMantissas) << Scaled(6000) << 101;
    QTest::newRow("double midpoints") << int(Midpoints) << Scaled(40000) << 102;
    QTest::newRow("double range edges") << int(RangeEdges) << Scaled(20000) << 103;
    QTest::newRow("exponents near and far out of range") << int(Exponents) << Scaled(70000) << 104;
    QTest::newRow("typed forms: blanks, signs, full-width, junk") << int(TypedForms) << Scaled(70000) << 105;
    QTest::newRow("random code units") << int(RandomUnits) << Scaled(50000) << 106;
}

void TestReference::textToNumber() {
    QFETCH(int, kind);
    Sweep("text to number", [&](Rng& rng) {
        const std::u16string text = DrawText(rng, kind);
        const Reading want = ReadNumber(text);
        calc::FpStatus status;
        const double got = calc::TextToNumber(text, status);
        const unsigned gotFlags = FromCalcFlags(status.Flags());
        if (Bits(got) == Bits(want.value) && gotFlags == want.flags)
            return std::string();
        char buf[160];
        std::snprintf(buf, sizeof buf,
                      "model %.17g (%016" PRIx64 ") flags %u; calc %.17g (%016" PRIx64 ") flags %u",
                      want.value, Bits(want.value), want.flags, got, Bits(got), gotFlags);
        return Quoted(text) + " prefix \"" + NumberPrefix(text) + "\": " + buf;
    });
}

// SingleToText: the layout, the shortest digits, and the text reads back.
void TestReference::singleToText_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("row");
    QTest::newRow("any single") << int(AnySingle) << Scaled(120000) << 200;
    QTest::newRow("subnormals") << int(Subnormals) << Scaled(30000) << 201;
    QTest::newRow("layout edges 1e-6 and 1e21") << int(LayoutEdges) << Scaled(20000) << 202;
    QTest::newRow("ordinary values") << int(Ordinary) << Scaled(40000) << 203;
}

void TestReference::singleToText() {
    QFETCH(int, kind);
    Sweep("single to text", [&](Rng& rng) {
        const float x = DrawSingle(rng, kind);
        const std::u16string text = calc::SingleToText(x);
        std::string why;
        if (std::isinf(x)) {
            if (text != (x > 0 ? u"∞" : u"-∞"))
                why = "infinity text";
        } else if (std::fpclassify(x) == FP_ZERO) {
            if (text != u"0")
                why = "zero text";
        } else {
            std::string ascii;
            for (char16_t c : text)
                ascii += c < 0x80 ? static_cast<char>(c) : '?';
            std::string digits;
            long exp10 = 0;
            if (!ParseResultText(ascii, digits, exp10, why)) {
                // why is set
            } else if (Bits(ReadField(text).value) != Bits(x)) {
                why = "does not read back";
            } else if ((x < 0) != (ascii[0] == '-')) {
                why = "sign";
            } else if (digits.size() > 1 &&
                       (ShorterReadsBack(x, static_cast<int>(digits.size()) - 1, MPFR_RNDD) ||
                        ShorterReadsBack(x, static_cast<int>(digits.size()) - 1, MPFR_RNDU))) {
                why = "not the shortest";
            }
        }
        return why.empty() ? why : SingleText(x) + " -> " + Quoted(text) + ": " + why;
    });
}

// Whole calculations from random field texts, calc against the model.
void TestReference::fieldChains_data() {
    QTest::addColumn<int>("formula");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("row");
    QTest::newRow("blanking fields") << int(BlankingFormula) << Scaled(30000) << 300;
    QTest::newRow("drawing fields") << int(DrawingFormula) << Scaled(30000) << 301;
    QTest::newRow("bending fields") << int(BendingFormula) << Scaled(30000) << 302;
}

void TestReference::fieldChains() {
    QFETCH(int, formula);
    static const char16_t* const kTexts[] = {
        u"",      u"0",     u"-0",     u"1e39", u"-1e39",    u"1e400",    u"3.4028235e38", u"3.4028236e38",
        u"1e-46", u"1e-45", u"7e-46",  u"abc",  u"１２．５", u"\u3000 2", u"+3",           u"1e10",
        u"1e20",  u"1e-30", u"２。５", u"｡5",
    };
    Sweep(std::string(kFormulaNames[formula]) + " from texts", [&](Rng& rng) {
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
        if (formula == BendingFormula && rng.Chance(8)) // R = -t
            fields[3] = (fields[1].empty() || fields[1][0] != u'-') ? u"-" + fields[1] : fields[1].substr(1);
        const Outcome want = Shown(ModelChain(Of(formula), fields));
        const Outcome got = CalcChain(Of(formula), fields);
        if (got == want)
            return std::string();
        std::string what = std::string(kFormulaNames[formula]) + " fields";
        for (std::size_t k = 0; k < calc::FieldCount(Of(formula)); ++k) {
            what += ' ';
            what += Quoted(fields[k]);
        }
        return what + "; model " + Describe(want) + "; calc " + Describe(got);
    });
}

void TestReference::cleanupTestCase() {
    if (Scale() < 1.0 || Scale() > 1.0)
        qInfo("case counts scaled by %g (PF_REFERENCE_SCALE)", Scale());
    for (const auto& [what, n] : comparisons_)
        qInfo("%s: %lld comparisons", what.c_str(), n);
}

QTEST_APPLESS_MAIN(TestReference)
#include "tst_reference.moc"
