#pragma once

#include "LineList.h"

#include <functional>
#include <string_view>

// How the line-per-record readers recognise their format: the first few lines that hold
// anything but blanks are looked at, and the text is recognised when at least one of
// them, and at least half of them, are records. A damaged first line or a last line cut
// short while being written does not hide a file's format; a text in another format
// rarely has even one line that passes.
inline constexpr std::size_t RecognitionLineCount = 5;
bool FirstLinesAreRecords(const LineList& lines, const std::function<bool(std::string_view)>& isRecord);
