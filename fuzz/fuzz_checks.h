// Properties the fuzz targets hold the calc library to; a violation prints
// what went wrong and aborts, which libFuzzer records as a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fuzz {

// Bytes as UTF-16LE code units (an odd last byte is dropped).
std::u16string Utf16Units(const std::uint8_t* data, std::size_t size);
// Bytes as UTF-8; a byte that starts no valid sequence stands for itself as a
// code unit, so every code unit, lone surrogates included, can be reached.
std::u16string Utf8Units(const std::uint8_t* data, std::size_t size);

[[noreturn]] void Violation(const std::string& what);

// TextToNumber gives the correctly rounded value of the longest number at the
// front of the text, and raises overflow exactly when that is beyond the double range.
void CheckReading(std::u16string_view text);

// SingleToText of a finite single reads back to it (zeros to a zero); the
// infinities give "∞" and "-∞".
void CheckReadsBack(float value);

} // namespace fuzz
