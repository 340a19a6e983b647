#include "WritePngFile.h"

namespace {
constexpr int ChartCompressionLevel = 4;
constexpr int ChartFilters = 0x98; // PNG_FILTER_NONE | PNG_FILTER_SUB | PNG_FILTER_PAETH
} // namespace

bool WritePngFile(const QImage& bitmap, const QString& fileName, const QString& author, const QString& title,
    const QString& software, const QString& description, TPngImage::ProgressHandler onProgress)
{
    TPngImage png;
    png.AssignFromBitmap(bitmap);
    png.SetCompressionLevel(ChartCompressionLevel);
    png.SetFilters(ChartFilters);
    png.Author = author;
    png.Description = description;
    png.Software = software;
    png.Title = title;
    png.SetOnProgress(std::move(onProgress));
    png.SaveToFile(fileName);
    return true;
}
