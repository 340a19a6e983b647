#include "FileOrder.h"

bool FileOrder::Before(const FileOrder& a, const FileOrder& b)
{
    if (const int byText = a.text.compare(b.text, Qt::CaseInsensitive); byText != 0)
        return byText < 0;
    if (a.time != b.time)
        return a.time < b.time;
    return a.rank < b.rank;
}
