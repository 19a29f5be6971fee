#include "calc/numconv.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace calc {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\u3000'; }

// The ASCII character a full-width form stands for, or the character itself.
// The ideographic full stops '。' and '｡', which an input method types for '.'
// with Chinese punctuation on, stand for the decimal point as '．' does.
char16_t Fold(char16_t c) {
    if (c < u'\u0080')
        return c;
    if (c >= u'\uFF10' && c <= u'\uFF19')
        return static_cast<char16_t>(u'0' + (c - u'\uFF10'));
    switch (c) {
    case u'\uFF0E':
    case u'\u3002':
    case u'\uFF61': return u'.';
    case u'\uFF0B': return u'+';
    case u'\uFF0D': return u'-';
    case u'\uFF45': return u'e';
    case u'\uFF25': return u'E';
    default: return c;
    }
}

// Characters a number can be made of, after folding.
bool InNumberAlphabet(char16_t c) {
    return (c >= u'0' && c <= u'9') || c == u'.' || c == u'e' || c == u'E' || c == u'-' || c == u'+';
}

// Whether a scanned number out of the double range is beyond it (not below):
// its first non-zero digit stands at 10^0 or higher. Saturates the exponent.
bool AboveRange(std::string_view number) {
    long long integerDigits = 0, zerosAfterPoint = 0, exponent = 0;
    bool nonZero = false, seenPoint = false, expNegative = false;
    std::size_t i = number.front() == '-' ? 1 : 0;
    for (; i < number.size() && number[i] != 'e' && number[i] != 'E'; ++i) {
        const char c = number[i];
        if (c == '.') {
            seenPoint = true;
            continue;
        }
        nonZero = nonZero || c != '0';
        if (nonZero && !seenPoint)
            ++integerDigits;
        else if (!nonZero && seenPoint)
            ++zerosAfterPoint;
    }
    if (!nonZero)
        return false;
    if (i < number.size()) {
        ++i;
        expNegative = number[i] == '-';
        for (i += number[i] == '-' || number[i] == '+' ? 1 : 0; i < number.size(); ++i)
            if (exponent < 1'000'000'000)
                exponent = exponent * 10 + (number[i] - '0');
    }
    if (expNegative)
        exponent = -exponent;
    return (integerDigits > 0 ? integerDigits - 1 : -zerosAfterPoint - 1) + exponent >= 0;
}

// The longest number at the front of an ASCII run, as from_chars reads it;
// beyond the double range it is ±infinity and raises overflow.
double ReadNumber(const char* first, std::size_t size, FpStatus& status) {
    double value = 0.0;
    const auto [last, ec] = std::from_chars(first, first + size, value, std::chars_format::general);
    if (ec == std::errc::invalid_argument)
        return 0.0;
    if (ec == std::errc::result_out_of_range) {
        // Beyond the double range, or non-zero but below half the least subnormal.
        const std::string_view number(first, static_cast<std::size_t>(last - first));
        if (AboveRange(number)) {
            status.Raise(FpOverflow);
            value = std::numeric_limits<double>::infinity();
        } else {
            value = 0.0;
        }
        return number.front() == '-' ? -value : value;
    }
    return value;
}

// A run longer than the common buffer, rare (typed or pasted digits): its
// first part `head`, then the rest of the run from `rest`.
[[gnu::noinline]] double ReadLongRun(std::u16string_view rest, std::string_view head, FpStatus& status) {
    std::string run(head);
    for (char16_t c : rest) {
        c = Fold(c);
        if (!InNumberAlphabet(c))
            break;
        run.push_back(static_cast<char>(c));
    }
    return ReadNumber(run.data(), run.size(), status);
}

} // namespace

double TextToNumber(std::u16string_view text, FpStatus& status) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && IsBlank(text[i]))
        ++i;
    // std::from_chars reads exactly the number's form but for a leading '+'.
    if (i < n && Fold(text[i]) == u'+') {
        ++i;
        if (i < n && Fold(text[i]) == u'-')
            return 0.0;
    }
    // The run of characters a number can be made of, folded to ASCII; the
    // longest number at its front is what from_chars reads.
    char small[64];
    std::size_t size = 0;
    for (; i < n && size < sizeof small; ++i) {
        const char16_t c = Fold(text[i]);
        if (!InNumberAlphabet(c))
            break;
        small[size++] = static_cast<char>(c);
    }
    if (size == sizeof small)
        return ReadLongRun(text.substr(i), std::string_view(small, size), status);
    return ReadNumber(small, size, status);
}

std::size_t SingleToText(float value, std::span<char16_t, kSingleTextCapacity> out) {
    std::size_t size = 0;
    auto put = [&](char16_t c) { out[size++] = c; };
    if (std::isnan(value)) {
        for (char16_t c : std::u16string_view(u"NaN"))
            put(c);
        return size;
    }
    if (std::signbit(value) && std::fpclassify(value) != FP_ZERO)
        put(u'-');
    if (std::isinf(value)) {
        put(u'∞');
        return size;
    }
    if (std::fpclassify(value) == FP_ZERO) {
        put(u'0');
        return size;
    }

    // Shortest round-trip digits. Below 2^24, where every integer is a single,
    // std::to_chars writes them plain only where plain is shorter, which lies
    // inside 1e-6 <= |x| and reads the same as the layout here. Otherwise, and
    // for larger values (whose plain form has all their integer digits), the
    // digits come in scientific form d[.ddd]e±xx and are laid out below.
    constexpr float kExactIntegers = 16777216.0f;
    const float magnitude = std::fabs(value);
    std::array<char, 32> sci;
    const auto res =
        magnitude < kExactIntegers
            ? std::to_chars(sci.data(), sci.data() + sci.size(), magnitude)
            : std::to_chars(sci.data(), sci.data() + sci.size(), magnitude, std::chars_format::scientific);
    const char* const end = res.ptr;
    // Plain digits are taken as they are, in one pass that stops at an exponent.
    const std::size_t signSize = size;
    const char* p = sci.data();
    for (; p < end && *p != 'e'; ++p)
        put(static_cast<char16_t>(*p));
    if (p == end)
        return size;
    size = signSize;
    std::array<char, 16> digits; // written up to k
    int k = 0;
    for (const char* q = sci.data(); q < p; ++q)
        if (*q != '.')
            digits[static_cast<std::size_t>(k++)] = *q;
    const bool expNegative = p[1] == '-';
    int exp10 = 0;
    for (p += 2; p < end; ++p)
        exp10 = exp10 * 10 + (*p - '0');
    if (expNegative)
        exp10 = -exp10;

    const int n = exp10 + 1; // the value is 0.digits * 10^n
    auto putDigits = [&](int from, int to) {
        for (int j = from; j < to; ++j)
            put(static_cast<char16_t>(digits[static_cast<std::size_t>(j)]));
    };
    if (k <= n && n <= 21) {
        putDigits(0, k);
        for (int j = k; j < n; ++j)
            put(u'0');
    } else if (0 < n && n <= 21) {
        putDigits(0, n);
        put(u'.');
        putDigits(n, k);
    } else if (-6 < n && n <= 0) {
        put(u'0');
        put(u'.');
        for (int j = n; j < 0; ++j)
            put(u'0');
        putDigits(0, k);
    } else {
        put(static_cast<char16_t>(digits[0]));
        if (k > 1) {
            put(u'.');
            putDigits(1, k);
        }
        put(u'e');
        put(n - 1 < 0 ? u'-' : u'+');
        const int e = std::abs(n - 1);
        if (e >= 10)
            put(static_cast<char16_t>(u'0' + e / 10));
        put(static_cast<char16_t>(u'0' + e % 10));
    }
    return size;
}

std::u16string SingleToText(float value) {
    std::array<char16_t, kSingleTextCapacity> buffer;
    return std::u16string(buffer.data(), SingleToText(value, buffer));
}

} // namespace calc
