// Exact model of the force formulas and of number reading, built on MPFR.
//
// Each double operation is one MPFR operation at 53 bits brought into the
// binary64 exponent range with subnormals; narrowing rounds to 24 bits in the
// binary32 range. The exception flags are MPFR's own (NaN, divide-by-zero,
// overflow), read after each operation. Nothing here uses the calc library.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace reference {

enum Flag : unsigned { Invalid = 1u << 0, DivByZero = 1u << 1, Overflow = 1u << 2 };

// What a calculation gives: either a result single or a raised fault.
struct Outcome {
    bool fault = false;
    unsigned flags = 0;     // with a fault: every flag the check saw
    int check = 0;          // with a fault: 1, or 2 for bending's second check
    std::uint32_t bits = 0; // without a fault: the bit pattern of the result

    bool operator==(const Outcome&) const = default;
};

std::string Describe(const Outcome& outcome);
std::string SingleText(float f); // "4.00000048e+30 (72c9f2c9)"

// The formulas, operands in field order. `pending` holds the flags that the
// narrowing of the last field read left behind (τb for blanking, k for
// drawing, R for bending); K is the blanking coefficient.
Outcome Blanking(float L, float t, float tau, float K, unsigned pending);
Outcome Drawing(float L, float t, float sigma, float k, unsigned pending);
Outcome Bending(float B, float t, float sigma, float R, unsigned pending);

// What reads as a character of a number besides ASCII: the full-width digits
// from U+FF10, and these forms, the three points typed for '.' first.
inline constexpr char16_t kWideZero = 0xFF10;
struct WideForm {
    char16_t wide;
    char ascii;
};
inline constexpr WideForm kWideForms[] = {{0xFF0E, '.'}, {0x3002, '.'}, {0xFF61, '.'}, {0xFF0B, '+'},
                                          {0xFF0D, '-'}, {0xFF45, 'e'}, {0xFF25, 'E'}};

// The number at the front of a text, as plain ASCII ("-12.5e3"): blanks
// skipped, the forms above folded. Empty when the text starts with no number.
std::string NumberPrefix(std::u16string_view text);

// A text as quoted ASCII, other code units as \uXXXX, shortened in the
// middle when long: for failure messages.
std::string Printable(std::u16string_view text);

// A value and the flags that working it out raised.
template <typename T> struct Flagged {
    T value = 0;
    unsigned flags = 0;
};

// The number at the front of a text, correctly rounded to double (0 when
// there is none); overflow beyond the double range.
using Reading = Flagged<double>;
Reading ReadNumber(std::u16string_view text);

// One field of a window: read, then rounded to single; flags of both steps.
using Narrowed = Flagged<float>;
Narrowed ReadField(std::u16string_view text);

// A result as a window shows it: the bits of the single its text stands for
// (read back as a field is, "∞" and "-∞" the infinities), and an outcome with
// a zero result of either sign made +0, as both show as "0".
std::uint32_t ShownBits(std::u16string_view resultText);
Outcome Shown(Outcome outcome);

// The doubles the bending formula uses for 0.7 and 1.3, as bit patterns.
std::uint64_t BendingFactorBits(int which);

} // namespace reference
