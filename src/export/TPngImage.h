#pragma once

#include <QRect>
#include <QRgb>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QIODevice;
class QImage;

// An image held as PNG rows (top row first, one contiguous buffer) with the header
// values and text metadata, written through libpng. Filled from a QImage with
// AssignFromBitmap, then written with SaveToStream or SaveToFile. Every failure is
// thrown as TPngError after libpng's structures have been released.
class TPngImage
{
public:
    // Row filters libpng may choose from (PNG_FILTER_* bits).
    static constexpr int DefaultFilters = 0x38; // none, sub, up
    static constexpr int DefaultCompressionLevel = 3;

    enum class ProgressStage { Starting = 0, Running = 1, Ending = 2 };
    // sender, stage, percent done (0..100), redraw (always false), rectangle (always
    // empty), message.
    using ProgressHandler = std::function<void(TPngImage& sender, ProgressStage stage, int percent,
                                               bool redraw, const QRect& rect, const QString& message)>;
    // A millisecond tick count; only differences between two readings matter.
    using TickSource = std::function<std::int64_t()>;

    TPngImage();

    std::uint32_t Width() const { return m_width; }
    std::uint32_t Height() const { return m_height; }
    int BitDepth() const { return m_bitDepth; }
    std::uint32_t BytesPerPixel() const { return m_bytesPerPixel; }
    int ColorType() const { return m_colorType; }
    int Interlace() const { return m_interlace; }
    int Compression() const { return m_compression; }
    std::uint32_t RowBytes() const { return m_rowBytes; }

    int Filters() const { return m_filters; }
    void SetFilters(int filters);
    int CompressionLevel() const { return m_compressionLevel; }
    // Deflate levels run from 0 to 9; anything else is brought into that range.
    void SetCompressionLevel(int level);

    QString Title;
    QString Author;
    QString Description;
    QString Software;

    void SetOnProgress(ProgressHandler handler) { m_onProgress = std::move(handler); }
    // Replaces the clock that limits row notifications to one per 100 ms.
    void SetTickSource(TickSource ticks) { m_ticks = std::move(ticks); }

    // Takes size, colour type and pixels from an 8-bit (indexed or grey) or 24-bit
    // (RGB888, BGR888) image; anything else fails with "Unsupported bitmap format" and
    // leaves this image as it was.
    void AssignFromBitmap(const QImage& bitmap);

    // Writes the PNG data stream to an open device.
    void SaveToStream(QIODevice& stream);
    // Writes to a temporary file beside fileName and renames it over fileName only once
    // everything has been written and flushed, so a failed write never leaves a
    // truncated PNG (nor destroys a file of that name that was there before).
    void SaveToFile(const QString& fileName);

    // Called by the libpng row callback: notifies stage Running when more than 100 ms
    // have passed since the last notification.
    void NotifyRowWritten(std::uint32_t rowNumber);

private:
    void Notify(ProgressStage stage, int percent, const QString& message);

    std::uint32_t m_width = 0;
    std::uint32_t m_height = 0;
    int m_bitDepth = 0;
    std::uint32_t m_bytesPerPixel = 0;
    int m_colorType = 2;
    int m_interlace = 0;
    int m_compression = 0;
    int m_filterMethod = 0;
    int m_filters = DefaultFilters;
    int m_compressionLevel = DefaultCompressionLevel;
    std::uint32_t m_rowBytes = 0;
    std::vector<std::uint8_t> m_pixelRows;
    std::vector<QRgb> m_palette;

    ProgressHandler m_onProgress;
    TickSource m_ticks;
    std::optional<std::int64_t> m_lastProgressTick;
};
