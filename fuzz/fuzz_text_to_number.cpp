// TextToNumber on arbitrary input, read both as UTF-16LE code units and as
// UTF-8; the first four bytes also give a single for SingleToText.
#include "fuzz_checks.h"

#include <bit>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::CheckReading(fuzz::Utf8Units(data, size));
    fuzz::CheckReading(fuzz::Utf16Units(data, size));
    if (size >= 4) {
        std::uint32_t bits;
        std::memcpy(&bits, data, sizeof bits);
        fuzz::CheckReadsBack(std::bit_cast<float>(bits));
    }
    return 0;
}
