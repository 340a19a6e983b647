#include "TPngImage.h"

#include "PngWriteJob.h"
#include "TPngError.h"

#include <QByteArray>
#include <QImage>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>

namespace {

constexpr std::int64_t ProgressIntervalMs = 100;

std::int64_t SteadyMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Trimmed the way the metadata rule wants it: blanks and control characters only.
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
    for (int y = 0; y < bitmap.height(); ++y) {
        const uchar* row = bitmap.constScanLine(y);
        largest = std::max<int>(largest, *std::max_element(row, row + bitmap.width()));
    }
    if (static_cast<std::size_t>(largest) >= palette.size())
        palette.resize(static_cast<std::size_t>(largest) + 1, qRgb(0, 0, 0));
}

} // namespace

TPngImage::TPngImage()
    : m_ticks(SteadyMilliseconds)
{
}

const std::uint8_t* TPngImage::Row(std::uint32_t y) const
{
    if (y >= m_height || m_pixelRows.empty())
        return nullptr;
    return m_pixelRows.data() + static_cast<std::size_t>(y) * m_rowBytes;
}

void TPngImage::SetFilters(int filters)
{
    m_filters = filters;
}

void TPngImage::SetCompressionLevel(int level)
{
    m_compressionLevel = std::clamp(level, 0, 9);
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

    m_colorType = colorType;
    m_bytesPerPixel = bytesPerPixel;
    m_palette = std::move(palette);
    m_width = width;
    m_height = height;
    m_bitDepth = 8;
    m_rowBytes = static_cast<std::uint32_t>(rowBytes);
    m_pixelRows = std::move(pixels);
}

void TPngImage::SaveToStream(QIODevice& stream)
{
    // The texts and the row table are owned here, outside the frame that runs libpng,
    // so its error longjmp skips nothing that needs destroying.
    struct TextEntry
    {
        const char* keyword;
        QByteArray text;
    };
    std::vector<TextEntry> entries;
    const std::array<std::pair<const char*, const QString*>, 4> keywords{{
        {"Author", &Author}, {"Description", &Description}, {"Software", &Software}, {"Title", &Title}}};
    for (const auto& [keyword, text] : keywords) {
        if (!IsBlankText(*text))
            entries.push_back({keyword, text->toLatin1()});
    }
    std::vector<png_text> texts(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        texts[i].compression = PNG_TEXT_COMPRESSION_NONE;
        texts[i].key = const_cast<char*>(entries[i].keyword);
        texts[i].text = entries[i].text.data();
        texts[i].text_length = static_cast<std::size_t>(entries[i].text.size());
    }

    std::vector<png_color> palette(m_palette.size());
    for (std::size_t i = 0; i < m_palette.size(); ++i) {
        palette[i] = {static_cast<png_byte>(qRed(m_palette[i])), static_cast<png_byte>(qGreen(m_palette[i])),
                      static_cast<png_byte>(qBlue(m_palette[i]))};
    }

    std::vector<png_bytep> rows;
    if (!m_pixelRows.empty()) {
        rows.resize(m_height);
        for (std::uint32_t y = 0; y < m_height; ++y)
            rows[y] = m_pixelRows.data() + static_cast<std::size_t>(y) * m_rowBytes;
    }

    PngWriteJob job;
    job.image = this;
    job.device = &stream;
    job.width = m_width;
    job.height = m_height;
    job.bitDepth = m_bitDepth;
    job.colorType = m_colorType;
    job.interlace = m_interlace;
    job.compression = m_compression;
    job.filterMethod = m_filterMethod;
    job.filters = m_filters;
    job.compressionLevel = m_compressionLevel;
    job.palette = palette.data();
    job.paletteCount = static_cast<int>(palette.size());
    job.texts = texts.data();
    job.textCount = static_cast<int>(texts.size());
    job.rows = rows.empty() ? nullptr : rows.data();
    job.reportRows = static_cast<bool>(m_onProgress);

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
    if (rowNumber > 2147483647u || m_height == 0 || !m_onProgress)
        return;
    const std::int64_t now = m_ticks();
    if (m_lastProgressTick && now - *m_lastProgressTick <= ProgressIntervalMs)
        return;
    const auto percent = static_cast<int>(static_cast<std::uint64_t>(rowNumber) * 100 / m_height);
    Notify(ProgressStage::Running, percent, QStringLiteral("Running"));
    m_lastProgressTick = now;
}

void TPngImage::Notify(ProgressStage stage, int percent, const QString& message)
{
    if (m_onProgress)
        m_onProgress(*this, stage, percent, false, QRect(), message);
}
