#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// Field splitting and number parsing for statistics lines. Numbers always use "." as
// the decimal separator, whatever the user's locale.

// Splits a loop statistics line into fields. Fields are separated by runs of blanks and
// control characters; a comma also ends a field (two commas with only blanks between
// them delimit an empty field, and a comma at the end of the line adds one). A field that
// begins with a double quote runs to the next double quote and may hold blanks; the
// quotes are not part of it.
// Writes up to fields.size() fields and returns how many the line has, but stops
// counting at fields.size() + 1, so "too many" is seen without scanning the whole line.
std::size_t SplitLoopFields(std::string_view line, std::span<std::string_view> fields);

// The number that begins at p (no blanks skipped), read as far as it goes: returns the
// first character after it, or nullptr when no valid number begins there. The rules are
// those of the two functions below; they check that the whole field was used.
const char* ParseIntegerPrefix(const char* p, const char* end, std::int32_t& value);
const char* ParseNumberPrefix(const char* p, const char* end, double& value);

// A whole field as a decimal integer with an optional sign, fitting in 32 bits.
bool ParseStatisticsInteger(std::string_view field, std::int32_t& value);

// A whole field as a finite decimal number: optional sign, digits with an optional "."
// and an optional exponent (e or E). Infinity and NaN texts are not numbers here: a
// statistics value that is not finite would poison every sum and scale built from it.
bool ParseStatisticsNumber(std::string_view field, double& value);
