#include "TextRecognition.h"

namespace {

bool IsBlankLine(std::string_view line)
{
    for (const char c : line)
        if (static_cast<unsigned char>(c) > ' ')
            return false;
    return true;
}

} // namespace

bool FirstLinesAreRecords(const LineList& lines, const std::function<bool(std::string_view)>& isRecord)
{
    std::size_t looked = 0;
    std::size_t records = 0;
    for (std::size_t i = 0; i < lines.size() && looked < RecognitionLineCount; ++i) {
        if (IsBlankLine(lines[i]))
            continue;
        ++looked;
        if (isRecord(lines[i]))
            ++records;
    }
    return records > 0 && 2 * records >= looked;
}
