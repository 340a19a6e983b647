// ZIP statistics archives, loaded through the same entry point as a file the user opens:
// archive reading, entry extraction with its bomb bound, text decoding and line splitting.

#include "FuzzCheck.h"
#include "FuzzScratchDirectory.h"
#include "LineList.h"
#include "StatisticsFileLoader.h"
#include "StatisticsReadError.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString name = FuzzScratchDirectory::Instance().Write(QStringLiteral("loopstats.zip"), data, size);
    LineList lines;
    lines.appendLine("line from before");
    QStringList filesRead;
    try {
        LoadStatisticsFile(name, lines, filesRead);
    } catch (const StatisticsReadError&) {
        // An unreadable archive or entry: the caller absorbs it.
    }
    FuzzCheck(filesRead.size() <= 1, "an archive is named at most once");
    FuzzCheck(lines.empty() || filesRead.size() == 1, "lines come only from an archive that was read");
    for (const std::string_view line : lines)
        FuzzCheck(line.find_first_of("\r\n") == std::string_view::npos, "lines hold no line end");
    return 0;
}
