#include "TPngImage.h"

#include "PngWriteJob.h"
#include "TPngError.h"

#include <QByteArray>
#include <QImage>
#include <QSaveFile>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

constexpr std::int64_t ProgressIntervalMs = 100;

std::int64_t SteadyMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// A text of nothing but blanks and control characters is not worth a chunk.
bool IsBlankText(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0x20; });
}

bool IsGreyRamp(const QList<QRgb>& table)
{
    for (qsizetype i = 0; i < table.size(); ++i) {
        const QRgb entry = table[i];
        if (qRed(entry) != i || qGreen(entry) != i || qBlue(entry) != i)
            return false;
    }
    return true;
}

// libpng writes a pixel whose index is past the palette without complaint, and the
// file is then invalid for readers that check. Such pixels have no colour in the
// bitmap either (Qt draws them black), so the palette grows with black entries.
void PadPaletteToLargestIndex(const QImage& bitmap, std::vector<QRgb>& palette)
{
    int largest = 0;
    for (int y = 0; bitmap.width() > 0 && y < bitmap.height(); ++y) {
        const uchar* row = bitmap.constScanLine(y);
        largest = std::max<int>(largest, *std::max_element(row, row + bitmap.width()));
    }
    if (static_cast<std::size_t>(largest) >= palette.size())
        palette.resize(static_cast<std::size_t>(largest) + 1, qRgb(0, 0, 0));
}

// The text chunks in writing order, with the Latin-1 bytes they point into.
struct TextChunks
{
    std::vector<QByteArray> texts;
    std::vector<png_text> entries;
};

TextChunks PrepareTexts(std::initializer_list<std::pair<const char*, const QString*>> keywords)
{
    TextChunks chunks;
    chunks.texts.reserve(keywords.size()); // entries point into these buffers
    for (const auto& [keyword, text] : keywords) {
        if (IsBlankText(*text))
            continue;
        QByteArray& bytes = chunks.texts.emplace_back(text->toLatin1());
        png_text entry {};
        entry.compression = PNG_TEXT_COMPRESSION_NONE;
        entry.key = const_cast<char*>(keyword);
        entry.text = bytes.data();
        entry.text_length = static_cast<std::size_t>(bytes.size());
        chunks.entries.push_back(entry);
    }
    return chunks;
}

std::vector<png_color> ToPngPalette(const std::vector<QRgb>& palette)
{
    std::vector<png_color> colours;
    for (QRgb entry : palette)
        colours.push_back({ static_cast<png_byte>(qRed(entry)), static_cast<png_byte>(qGreen(entry)),
            static_cast<png_byte>(qBlue(entry)) });
    return colours;
}

} // namespace

TPngImage::TPngImage()
    : ticks_(SteadyMilliseconds)
{ }

void TPngImage::SetFilters(int filters)
{
    filters_ = filters;
}

void TPngImage::SetCompressionLevel(int level)
{
    compressionLevel_ = std::clamp(level, 0, 9);
}

void TPngImage::AssignFromBitmap(const QImage& bitmap)
{
    int colorType = 0;
    std::uint32_t bytesPerPixel = 0;
    bool swapRedBlue = false;
    std::vector<QRgb> palette;
    switch (bitmap.format()) {
    case QImage::Format_Indexed8: {
        const QList<QRgb> table = bitmap.colorTable().mid(0, 256);
        palette.assign(table.begin(), table.end());
        colorType = IsGreyRamp(table) ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_PALETTE;
        bytesPerPixel = 1;
        if (colorType == PNG_COLOR_TYPE_PALETTE)
            PadPaletteToLargestIndex(bitmap, palette);
        break;
    }
    case QImage::Format_Grayscale8:
        colorType = PNG_COLOR_TYPE_GRAY;
        bytesPerPixel = 1;
        break;
    case QImage::Format_RGB888:
        colorType = PNG_COLOR_TYPE_RGB;
        bytesPerPixel = 3;
        break;
    case QImage::Format_BGR888:
        colorType = PNG_COLOR_TYPE_RGB;
        bytesPerPixel = 3;
        swapRedBlue = true;
        break;
    default:
        throw TPngError("Unsupported bitmap format");
    }

    const auto width = static_cast<std::uint32_t>(bitmap.width());
    const auto height = static_cast<std::uint32_t>(bitmap.height());
    const std::size_t rowBytes = static_cast<std::size_t>(width) * bytesPerPixel;
    std::vector<std::uint8_t> pixels(rowBytes * height);
    for (std::uint32_t y = 0; y < height; ++y) {
        const uchar* source = bitmap.constScanLine(static_cast<int>(y));
        std::uint8_t* target = pixels.data() + rowBytes * y;
        if (!swapRedBlue) {
            std::memcpy(target, source, rowBytes);
            continue;
        }
        for (std::size_t x = 0; x < rowBytes; x += 3) {
            target[x] = source[x + 2];
            target[x + 1] = source[x + 1];
            target[x + 2] = source[x];
        }
    }

    colorType_ = colorType;
    bytesPerPixel_ = bytesPerPixel;
    palette_ = std::move(palette);
    width_ = width;
    height_ = height;
    bitDepth_ = 8;
    rowBytes_ = static_cast<std::uint32_t>(rowBytes);
    pixelRows_ = std::move(pixels);
}

void TPngImage::SaveToStream(QIODevice& stream)
{
    // The texts, palette and row table are owned here, outside the frame that runs
    // libpng, so its error longjmp skips nothing that needs destroying.
    const TextChunks texts = PrepareTexts(
        { { "Author", &Author }, { "Description", &Description }, { "Software", &Software }, { "Title", &Title } });
    std::vector<png_color> palette = ToPngPalette(palette_);
    std::vector<png_bytep> rows;
    if (!pixelRows_.empty()) {
        rows.resize(height_);
        for (std::uint32_t y = 0; y < height_; ++y)
            rows[y] = pixelRows_.data() + static_cast<std::size_t>(y) * rowBytes_;
    }

    PngWriteJob job;
    job.image = this;
    job.device = &stream;
    job.width = width_;
    job.height = height_;
    job.bitDepth = bitDepth_;
    job.colorType = colorType_;
    job.interlace = interlace_;
    job.compression = compression_;
    job.filterMethod = filterMethod_;
    job.filters = filters_;
    job.compressionLevel = compressionLevel_;
    job.palette = palette.data();
    job.paletteCount = static_cast<int>(palette.size());
    job.texts = const_cast<png_text*>(texts.entries.data());
    job.textCount = static_cast<int>(texts.entries.size());
    job.rows = rows.empty() ? nullptr : rows.data();
    job.reportRows = static_cast<bool>(onProgress_);

    Notify(ProgressStage::Starting, 0, QStringLiteral("Starting PNG write"));
    if (!WritePngData(job))
        throw TPngError(job.message);
    if (job.rows)
        Notify(ProgressStage::Ending, 100, QStringLiteral("Ended PNG write"));
}

void TPngImage::SaveToFile(const QString& fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw TPngError(QStringLiteral("Cannot create %1: %2").arg(fileName, file.errorString()).toStdString());
    // On an exception the QSaveFile is destroyed uncommitted, which removes the
    // temporary file and leaves whatever was under fileName untouched.
    SaveToStream(file);
    if (!file.commit())
        throw TPngError(QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString()).toStdString());
}

void TPngImage::NotifyRowWritten(std::uint32_t rowNumber)
{
    if (rowNumber > 2147483647u || height_ == 0 || !onProgress_)
        return;
    const std::int64_t now = ticks_();
    if (lastProgressTick_ && now - *lastProgressTick_ <= ProgressIntervalMs)
        return;
    const auto percent = static_cast<int>(static_cast<std::uint64_t>(rowNumber) * 100 / height_);
    Notify(ProgressStage::Running, percent, QStringLiteral("Running"));
    lastProgressTick_ = now;
}

void TPngImage::Notify(ProgressStage stage, int percent, const QString& message)
{
    if (onProgress_)
        onProgress_(*this, stage, percent, false, QRect(), message);
}
