#include "fuzz_checks.h"

#include "calc/fpstatus.h"
#include "calc/numconv.h"
#include "ieee_model.h"

#include <bit>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

std::u16string Utf16Units(const std::uint8_t* data, std::size_t size) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    return text;
}

std::u16string Utf8Units(const std::uint8_t* data, std::size_t size) {
    std::u16string text;
    std::size_t i = 0;
    while (i < size) {
        const std::uint8_t lead = data[i];
        std::size_t length = 0;
        char32_t c = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            c = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            c = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            c = lead & 0x07u;
        }
        bool valid = length != 0 && i + length <= size;
        for (std::size_t k = 1; valid && k < length; ++k) {
            valid = (data[i + k] & 0xC0) == 0x80;
            c = c << 6 | (data[i + k] & 0x3Fu);
        }
        valid = valid && (length != 3 || c >= 0x800) && (length != 4 || (c >= 0x10000 && c <= 0x10FFFF));
        if (!valid) {
            text += static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            text += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            text += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            text += static_cast<char16_t>(c);
        }
        i += length;
    }
    return text;
}

void Violation(const std::string& what) {
    std::fprintf(stderr, "\n*** property violated: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

void CheckReading(std::u16string_view text) {
    calc::FpStatus status;
    const double got = calc::TextToNumber(text, status);
    const reference::Reading want = reference::ReadNumber(text);
    const unsigned gotOverflow = status.Flags() == calc::FpOverflow ? 1u : status.Flags() == 0 ? 0u : 2u;
    const unsigned wantOverflow = want.flags == reference::Overflow ? 1u : 0u;
    if (std::bit_cast<std::uint64_t>(got) != std::bit_cast<std::uint64_t>(want.value) ||
        gotOverflow != wantOverflow) {
        char buf[200];
        std::snprintf(buf, sizeof buf,
                      ": calc %.17g (%016" PRIx64 ", flags %u), reference %.17g (%016" PRIx64
                      ", overflow %u)",
                      got, std::bit_cast<std::uint64_t>(got), status.Flags(), want.value,
                      std::bit_cast<std::uint64_t>(want.value), wantOverflow);
        Violation("TextToNumber(" + reference::Printable(text) + "), number \"" +
                  reference::NumberPrefix(text) + "\"" + buf);
    }
    calc::FpStatus narrowing;
    CheckReadsBack(calc::Narrow(got, narrowing));
}

void CheckReadsBack(float value) {
    if (std::isnan(value))
        return; // no calculation shows a NaN
    const std::u16string text = calc::SingleToText(value);
    char buf[80];
    std::snprintf(buf, sizeof buf, "SingleToText(%.9g = %08" PRIx32 ") = ", static_cast<double>(value),
                  std::bit_cast<std::uint32_t>(value));
    if (std::isinf(value)) {
        if (text != (value > 0 ? u"∞" : u"-∞"))
            Violation(buf + reference::Printable(text));
        return;
    }
    const float back = reference::ReadField(text).value;
    // Either zero reads back as a zero.
    const bool bothZero = std::fpclassify(value) == FP_ZERO && std::fpclassify(back) == FP_ZERO;
    if (!bothZero && std::bit_cast<std::uint32_t>(back) != std::bit_cast<std::uint32_t>(value)) {
        char tail[64];
        std::snprintf(tail, sizeof tail, " reads back as %.9g", static_cast<double>(back));
        Violation(buf + reference::Printable(text) + tail);
    }
}

} // namespace fuzz
