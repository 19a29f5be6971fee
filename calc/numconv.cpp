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
char16_t Fold(char16_t c) {
    if (c >= u'\uFF10' && c <= u'\uFF19')
        return static_cast<char16_t>(u'0' + (c - u'\uFF10'));
    switch (c) {
    case u'\uFF0E': return u'.';
    case u'\uFF0B': return u'+';
    case u'\uFF0D': return u'-';
    case u'\uFF45': return u'e';
    case u'\uFF25': return u'E';
    default: return c;
    }
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Scans the longest number at the front of `text` into `out` (ASCII, no '+' sign).
// Also estimates the decimal exponent of its leading digit, saturated, which tells
// an overflow from an underflow when the value is out of the double range.
struct Scan {
    std::string digits;        // what std::from_chars reads
    long long magnitude = 0;   // decimal exponent of the first non-zero digit
    bool nonZero = false;
    bool negative = false;
};

bool ScanNumber(std::u16string_view text, Scan& scan) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && IsBlank(text[i]))
        ++i;
    auto at = [&](std::size_t k) { return k < n ? Fold(text[k]) : u'\0'; };

    if (at(i) == u'+' || at(i) == u'-') {
        scan.negative = at(i) == u'-';
        if (scan.negative)
            scan.digits.push_back('-');
        ++i;
    }
    std::size_t mantissaDigits = 0;
    long long integerDigits = 0; // digits before the point from the first non-zero one
    long long zerosAfterPoint = 0; // zeros between the point and the first non-zero digit
    bool seenPoint = false;
    for (;; ++i) {
        const char16_t c = at(i);
        if (IsDigit(c)) {
            ++mantissaDigits;
            scan.nonZero = scan.nonZero || c != u'0';
            if (scan.nonZero && !seenPoint)
                ++integerDigits;
            else if (!scan.nonZero && seenPoint)
                ++zerosAfterPoint;
            scan.digits.push_back(static_cast<char>(c));
        } else if (c == u'.' && !seenPoint) {
            seenPoint = true;
            scan.digits.push_back('.');
        } else {
            break;
        }
    }
    if (mantissaDigits == 0)
        return false;

    // Exponent: only taken when at least one digit follows.
    long long exponent = 0;
    if (at(i) == u'e' || at(i) == u'E') {
        std::size_t k = i + 1;
        bool expNegative = false;
        if (at(k) == u'+' || at(k) == u'-') {
            expNegative = at(k) == u'-';
            ++k;
        }
        if (IsDigit(at(k))) {
            scan.digits.push_back('e');
            if (expNegative)
                scan.digits.push_back('-');
            for (; IsDigit(at(k)); ++k) {
                scan.digits.push_back(static_cast<char>(at(k)));
                if (exponent < 1'000'000'000)
                    exponent = exponent * 10 + (at(k) - u'0');
            }
            if (expNegative)
                exponent = -exponent;
        }
    }
    // The first non-zero digit stands at 10^magnitude.
    scan.magnitude = (integerDigits > 0 ? integerDigits - 1 : -zerosAfterPoint - 1) + exponent;
    return true;
}

} // namespace

double TextToNumber(std::u16string_view text, FpStatus& status) {
    Scan scan;
    if (!ScanNumber(text, scan))
        return 0.0;
    double value = 0.0;
    const char* first = scan.digits.data();
    const char* last = first + scan.digits.size();
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Beyond the double range, or non-zero but below half the least subnormal.
        if (scan.nonZero && scan.magnitude >= 0) {
            status.Raise(FpOverflow);
            value = std::numeric_limits<double>::infinity();
        } else {
            value = 0.0;
        }
        return scan.negative ? -value : value;
    }
    if (ec != std::errc() || ptr != last)
        return 0.0; // cannot happen for a scanned number; keep it harmless
    return value;
}

std::u16string SingleToText(float value) {
    if (std::isnan(value))
        return u"NaN";
    if (std::isinf(value))
        return value < 0 ? u"-∞" : u"∞";
    if (std::fpclassify(value) == FP_ZERO)
        return u"0";

    // Shortest round-trip digits in scientific form: d[.ddd]e±xx.
    std::array<char, 32> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), std::fabs(value),
                                   std::chars_format::scientific);
    const std::string_view sci(buf.data(), static_cast<std::size_t>(res.ptr - buf.data()));
    const std::size_t ePos = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, ePos))
        if (c != '.')
            digits.push_back(c);
    int exp10 = 0;
    const std::string_view expText = sci.substr(ePos + 1);
    std::from_chars(expText.data() + (expText.front() == '+' ? 1 : 0), expText.data() + expText.size(), exp10);

    const int k = static_cast<int>(digits.size());
    const int n = exp10 + 1; // the value is 0.digits * 10^n
    std::string out = value < 0 ? "-" : "";
    if (k <= n && n <= 21) {
        out += digits;
        out.append(static_cast<std::size_t>(n - k), '0');
    } else if (0 < n && n <= 21) {
        out += digits.substr(0, static_cast<std::size_t>(n));
        out += '.';
        out += digits.substr(static_cast<std::size_t>(n));
    } else if (-6 < n && n <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-n), '0');
        out += digits;
    } else {
        out += digits.front();
        if (k > 1) {
            out += '.';
            out += digits.substr(1);
        }
        out += n - 1 < 0 ? "e-" : "e+";
        out += std::to_string(std::abs(n - 1));
    }
    return std::u16string(out.begin(), out.end());
}

} // namespace calc
