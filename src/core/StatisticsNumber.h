#pragma once

#include <cstdint>
#include <string_view>

// Numbers in statistics files, for every reader: an optional sign ("+" or "-"), digits
// with an optional "." (".5" and "1." are numbers) and an optional exponent (e or E).
// The decimal point is "." whatever the user's locale, and there is no digit grouping,
// so "1,5" is not a number. Infinity and NaN texts are not numbers, nor is a value that
// overflows to infinity: one such value would poison every sum and scale built from it.

// The number that begins at p (no blanks skipped), read as far as it goes: returns the
// first character after it, or nullptr when no valid number begins there. Lets a reader
// walk a line in place; the two functions below insist that the whole field is used.
// All four leave value alone when they fail.
const char* ParseIntegerPrefix(const char* p, const char* end, std::int32_t& value);
const char* ParseNumberPrefix(const char* p, const char* end, double& value);

// A whole field as a decimal integer with an optional sign, fitting in 32 bits.
bool ParseStatisticsInteger(std::string_view field, std::int32_t& value);

// A whole field as a finite decimal number.
bool ParseStatisticsNumber(std::string_view field, double& value);
