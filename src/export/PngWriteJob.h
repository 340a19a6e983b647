#pragma once

#include <png.h>

#include <cstddef>

class QIODevice;
class TPngImage;

// Everything one libpng write needs, as plain data. libpng reports errors by
// longjmp, which skips destructors; so the function that runs libpng (WritePngData)
// holds nothing but this job and libpng's own structures, and the C++ owners of the
// buffers pointed to here live in the caller's frame.
struct PngWriteJob
{
    // Largest single write libpng is expected to ask for: one 8192-byte IDAT buffer,
    // plus one. A bigger request means something has gone wrong and fails the write.
    static constexpr std::size_t MaxWriteRequest = 8193;

    TPngImage* image = nullptr; // receives row notifications when reportRows is set
    QIODevice* device = nullptr;

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    int interlace = 0;
    int compression = 0;
    int filterMethod = 0;
    int filters = 0;
    int compressionLevel = 0;
    const png_color* palette = nullptr;
    int paletteCount = 0;
    png_text* texts = nullptr;
    int textCount = 0;
    png_bytep* rows = nullptr; // null: header, text and end only
    bool reportRows = false;

    // Filled when the write fails.
    char message[512] = {};
    // The first warning libpng gave: it often names the cause of a following error
    // ("Image width is zero in IHDR" before "Invalid IHDR data").
    char firstWarning[256] = {};
};

// Runs one write. Returns false with job.message set on any failure; the libpng
// structures are released either way.
bool WritePngData(PngWriteJob& job);
