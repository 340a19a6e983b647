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
    using ProgressHandler = std::function<void(
        TPngImage& sender, ProgressStage stage, int percent, bool redraw, const QRect& rect, const QString& message)>;
    // A millisecond tick count; only differences between two readings matter.
    using TickSource = std::function<std::int64_t()>;

    TPngImage();

    std::uint32_t Width() const { return width_; }
    std::uint32_t Height() const { return height_; }
    int BitDepth() const { return bitDepth_; }
    std::uint32_t BytesPerPixel() const { return bytesPerPixel_; }
    int ColorType() const { return colorType_; }
    int Interlace() const { return interlace_; }
    int Compression() const { return compression_; }
    std::uint32_t RowBytes() const { return rowBytes_; }

    int Filters() const { return filters_; }
    void SetFilters(int filters);
    int CompressionLevel() const { return compressionLevel_; }
    // Deflate levels run from 0 to 9; anything else is brought into that range.
    void SetCompressionLevel(int level);

    QString Title;
    QString Author;
    QString Description;
    QString Software;

    void SetOnProgress(ProgressHandler handler) { onProgress_ = std::move(handler); }
    // Replaces the clock that limits row notifications to one per 100 ms.
    void SetTickSource(TickSource ticks) { ticks_ = std::move(ticks); }

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

    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    int bitDepth_ = 0;
    std::uint32_t bytesPerPixel_ = 0;
    int colorType_ = 2;
    int interlace_ = 0;
    int compression_ = 0;
    int filterMethod_ = 0;
    int filters_ = DefaultFilters;
    int compressionLevel_ = DefaultCompressionLevel;
    std::uint32_t rowBytes_ = 0;
    std::vector<std::uint8_t> pixelRows_;
    std::vector<QRgb> palette_;

    ProgressHandler onProgress_;
    TickSource ticks_;
    std::optional<std::int64_t> lastProgressTick_;
};
