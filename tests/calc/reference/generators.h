// Seeded random inputs that crowd the edges of the single and double ranges.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

namespace reference {

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
    constexpr float kInf = std::numeric_limits<float>::infinity();
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

} // namespace reference
