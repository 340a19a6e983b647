#pragma once

#include "StatisticsNumber.h"

#include <cstddef>
#include <span>
#include <string_view>

// Field splitting for statistics lines. The fields' numbers are read by the parser every
// reader shares (StatisticsNumber.h), included here for the readers of loop lines.

// Splits a loop statistics line into fields. Fields are separated by runs of blanks and
// control characters; a comma also ends a field (two commas with only blanks between
// them delimit an empty field, and a comma at the end of the line adds one). A field that
// begins with a double quote runs to the next double quote and may hold blanks; the
// quotes are not part of it.
// Writes up to fields.size() fields and returns how many the line has, but stops
// counting at fields.size() + 1, so "too many" is seen without scanning the whole line.
std::size_t SplitLoopFields(std::string_view line, std::span<std::string_view> fields);
