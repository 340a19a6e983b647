#include "PngWriteJob.h"

#include "PngRowFilter.h"
#include "TPngImage.h"

#include <QIODevice>

#include <zlib.h>

#include <array>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>

namespace {

PngWriteJob& JobOf(png_structp png)
{
    return *static_cast<PngWriteJob*>(png_get_io_ptr(png));
}

void SetMessage(PngWriteJob& job, const char* text)
{
    std::snprintf(job.message, sizeof job.message, "%s", text);
}

// The first message wins: when a callback has already said why it gave up, libpng's
// own follow-up text would only hide it.
[[noreturn]] void OnPngError(png_structp png, png_const_charp text)
{
    auto* job = static_cast<PngWriteJob*>(png_get_error_ptr(png));
    if (job && job->message[0] == '\0') {
        const char* reason = text ? text : "PNG library error";
        if (job->firstWarning[0] != '\0')
            std::snprintf(job->message, sizeof job->message, "%s (%s)", reason, job->firstWarning);
        else
            SetMessage(*job, reason);
    }
    png_longjmp(png, 1);
}

// Warnings do not stop the write, and this program has no log to put them in; the
// first one is kept to explain an error that follows.
void OnPngWarning(png_structp png, png_const_charp text)
{
    auto* job = static_cast<PngWriteJob*>(png_get_error_ptr(png));
    if (job && text && job->firstWarning[0] == '\0')
        std::snprintf(job->firstWarning, sizeof job->firstWarning, "%s", text);
}

// Returns false with the reason in job.message. Runs its C++ (QIODevice, QString)
// in this frame, which has ended before the caller raises the libpng error.
bool WriteToDevice(PngWriteJob& job, png_bytep data, png_size_t length) noexcept
{
    if (length > PngWriteJob::MaxWriteRequest) {
        std::snprintf(job.message, sizeof job.message, "Buffer override: needed %zu", static_cast<std::size_t>(length));
        return false;
    }
    try {
        const qint64 written = job.device->write(reinterpret_cast<const char*>(data), static_cast<qint64>(length));
        if (written == static_cast<qint64>(length))
            return true;
        const QByteArray reason = job.device->errorString().toUtf8();
        std::snprintf(job.message, sizeof job.message, "Cannot write PNG data: %s", reason.constData());
    } catch (...) {
        SetMessage(job, "Cannot write PNG data");
    }
    return false;
}

void OnPngWrite(png_structp png, png_bytep data, png_size_t length)
{
    PngWriteJob& job = JobOf(png);
    if (!WriteToDevice(job, data, length))
        png_error(png, job.message);
}

// Bytes are handed to the device as they come; the device (or the file that commits
// it) does its own flushing.
void OnPngFlush(png_structp)
{ }

bool ReportRow(PngWriteJob& job, png_uint_32 row) noexcept
{
    try {
        job.image->NotifyRowWritten(row);
        return true;
    } catch (const std::exception& e) {
        SetMessage(job, e.what());
    } catch (...) {
        SetMessage(job, "PNG progress handler failed");
    }
    return false;
}

void OnPngRowWritten(png_structp png, png_uint_32 row, int /*pass*/)
{
    if (!png)
        return;
    PngWriteJob& job = JobOf(png);
    if (!job.image)
        return;
    // A handler's exception must not unwind through libpng's C frames: stop the write
    // with its message instead.
    if (!ReportRow(job, row))
        png_error(png, job.message);
}

// The time of writing in UTC, as the PNG tIME chunk requires.
png_time CurrentUtcTime()
{
    const std::time_t now = std::time(nullptr);
    std::tm utc {};
    gmtime_r(&now, &utc);
    png_time t {};
    t.year = static_cast<png_uint_16>(utc.tm_year + 1900);
    t.month = static_cast<png_byte>(utc.tm_mon + 1);
    t.day = static_cast<png_byte>(utc.tm_mday);
    t.hour = static_cast<png_byte>(utc.tm_hour);
    t.minute = static_cast<png_byte>(utc.tm_min);
    t.second = static_cast<png_byte>(utc.tm_sec);
    return t;
}

// Bytes per pixel of an 8-bit image: three for RGB, one for grey or a palette index.
int BytesPerPixel(const PngWriteJob& job)
{
    return job.colorType == PNG_COLOR_TYPE_RGB ? 3 : 1;
}

// The rows filtered and compressed here rather than by libpng, into the very bytes
// libpng would write (the same filter for each row, the same zlib settings, IDAT
// chunks of the same length), only faster; libpng frames and writes the chunks. It
// lives outside the frame that runs libpng, which may leave by longjmp.
struct OwnIdat
{
    // libpng's zlib buffer, and so the data length of each IDAT chunk but the last.
    static constexpr uInt ChunkBytes = PNG_ZBUF_SIZE;

    explicit OwnIdat(const PngWriteJob& job)
        : filter(job.filters, job.width, job.height, BytesPerPixel(job))
    { }
    ~OwnIdat()
    {
        if (started)
            deflateEnd(&stream);
    }
    OwnIdat(const OwnIdat&) = delete;
    OwnIdat& operator=(const OwnIdat&) = delete;

    PngRowFilter filter;
    z_stream stream {};
    bool started = false;
    std::array<Bytef, ChunkBytes> buffer {};
};

// Whether the rows can go through OwnIdat. Those stay with libpng of images of 16 KiB or
// less (libpng narrows their zlib window), written with a progress handler (libpng
// reports each row), or with a filter set holding one of the single filter numbers 1 to
// 4 in its low bits (libpng reads those its own way).
bool RowsFilteredHere(const PngWriteJob& job)
{
    const bool oneOrThreeBytesPerPixel = job.colorType == PNG_COLOR_TYPE_RGB || job.colorType == PNG_COLOR_TYPE_GRAY
        || job.colorType == PNG_COLOR_TYPE_PALETTE;
    const std::uint64_t bytesPerRow = std::uint64_t { job.width } * BytesPerPixel(job) + 1;
    return job.rows && !job.reportRows && job.bitDepth == 8 && oneOrThreeBytesPerPixel
        && job.interlace == PNG_INTERLACE_NONE && (job.filters & 0x07) == 0 && job.width > 0 && job.height > 0
        && bytesPerRow * job.height > 16384;
}

void WriteIdatChunk(png_structp png, OwnIdat& own)
{
    const uInt length = OwnIdat::ChunkBytes - own.stream.avail_out;
    if (length > 0)
        png_write_chunk(png, reinterpret_cast<png_const_bytep>("IDAT"), own.buffer.data(), length);
    own.stream.next_out = own.buffer.data();
    own.stream.avail_out = OwnIdat::ChunkBytes;
}

// Compresses `length` bytes; a full buffer becomes an IDAT chunk at once, and at the
// end so does whatever is left.
void Compress(png_structp png, OwnIdat& own, const Bytef* data, std::size_t length, int flush)
{
    own.stream.next_in = const_cast<Bytef*>(data);
    own.stream.avail_in = static_cast<uInt>(length);
    for (;;) {
        const int result = deflate(&own.stream, flush);
        if (result != Z_OK && result != Z_STREAM_END)
            png_error(png, "Cannot compress the PNG data");
        if (own.stream.avail_out == 0)
            WriteIdatChunk(png, own);
        if (result == Z_STREAM_END) {
            WriteIdatChunk(png, own);
            return;
        }
        if (flush == Z_NO_FLUSH && own.stream.avail_in == 0)
            return;
    }
}

void WriteRowsAsIdat(const PngWriteJob& job, png_structp png, OwnIdat& own)
{
    // As libpng sets zlib up for image data: its default window and memory level, and
    // the strategy for filtered data unless every row goes unfiltered.
    const int strategy
        = own.filter.Filters() != PNG_FILTER_NONE ? PNG_Z_DEFAULT_STRATEGY : PNG_Z_DEFAULT_NOFILTER_STRATEGY;
    if (deflateInit2(&own.stream, job.compressionLevel, Z_DEFLATED, 15, 8, strategy) != Z_OK)
        png_error(png, "Cannot start compressing the PNG data");
    own.started = true;
    own.stream.next_out = own.buffer.data();
    own.stream.avail_out = OwnIdat::ChunkBytes;
    for (png_uint_32 y = 0; y < job.height; ++y) {
        const std::span<const std::uint8_t> filtered
            = own.filter.Filter(job.rows[y], y > 0 ? job.rows[y - 1] : nullptr);
        Compress(png, own, filtered.data(), filtered.size(), Z_NO_FLUSH);
    }
    Compress(png, own, nullptr, 0, Z_FINISH);
}

// The tIME and IEND chunks as png_write_end writes them after the image data.
void WriteTimeAndEnd(png_structp png, const png_time& time)
{
    const png_byte data[7] = { static_cast<png_byte>(time.year >> 8), static_cast<png_byte>(time.year & 0xff),
        time.month, time.day, time.hour, time.minute, time.second };
    png_write_chunk(png, reinterpret_cast<png_const_bytep>("tIME"), data, sizeof data);
    png_write_chunk(png, reinterpret_cast<png_const_bytep>("IEND"), nullptr, 0);
}

// Everything between setjmp and the end of this function is plain C calls on plain
// data, or work on an OwnIdat that lives in the caller's frame: a longjmp from
// libpng's error handler skips no destructor. png and info are
// not changed after setjmp, so they keep their values when it returns a second time.
bool RunWrite(PngWriteJob& job, png_structp png, png_infop info, OwnIdat* own)
{
    if (setjmp(png_jmpbuf(png)))
        return false;

    png_set_write_fn(png, &job, OnPngWrite, OnPngFlush);
    png_set_compression_level(png, job.compressionLevel);
    png_set_IHDR(png, info, job.width, job.height, job.bitDepth, job.colorType, job.interlace, job.compression,
        job.filterMethod);
    if (job.colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_PLTE(png, info, job.palette, job.paletteCount);
    if (job.textCount > 0)
        png_set_text(png, info, job.texts, job.textCount);
    png_write_info(png, info);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, job.filters);
    if (own) {
        WriteRowsAsIdat(job, png, *own);
        WriteTimeAndEnd(png, CurrentUtcTime());
        return true;
    }
    if (job.rows) {
        if (job.reportRows)
            png_set_write_status_fn(png, OnPngRowWritten);
        png_write_image(png, job.rows);
        const png_time now = CurrentUtcTime();
        png_set_tIME(png, info, &now);
    }
    png_write_end(png, info);
    return true;
}

} // namespace

bool WritePngData(PngWriteJob& job)
{
    job.message[0] = '\0';
    job.firstWarning[0] = '\0';
    // Made first: should it fail for want of memory, no libpng structure is left behind.
    std::optional<OwnIdat> own;
    if (RowsFilteredHere(job))
        own.emplace(job);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &job, OnPngError, OnPngWarning);
    if (!png) {
        if (job.message[0] == '\0')
            SetMessage(job, "Cannot create the PNG write structure");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        SetMessage(job, "Cannot create the PNG info structure");
        return false;
    }
    const bool written = RunWrite(job, png, info, own ? &*own : nullptr);
    png_destroy_write_struct(&png, &info);
    return written;
}
