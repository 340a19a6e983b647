#include "PngInspection.h"

#include <QFile>

#include <png.h>
#include <zlib.h>

namespace {

std::uint32_t BigEndian32(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) | (std::uint32_t(b[2]) << 8) | b[3];
}

// Undoes the deflate stream to look at each row's filter type byte.
std::vector<std::uint8_t> RowFilterBytes(const std::vector<PngChunk>& chunks, int height, std::size_t rowBytes)
{
    QByteArray compressed;
    for (const PngChunk& chunk : chunks) {
        if (chunk.Type == "IDAT")
            compressed += chunk.Data;
    }
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(height) * (rowBytes + 1));
    uLongf rawSize = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(compressed.constData()),
            static_cast<uLong>(compressed.size()))
            != Z_OK
        || rawSize != raw.size())
        return {};
    std::vector<std::uint8_t> filters;
    for (int y = 0; y < height; ++y)
        filters.push_back(raw[static_cast<std::size_t>(y) * (rowBytes + 1)]);
    return filters;
}

} // namespace

QByteArray ReadWholeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

std::vector<PngChunk> ReadChunks(const QByteArray& png)
{
    static const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
    if (!png.startsWith(signature))
        return {};
    std::vector<PngChunk> chunks;
    qsizetype at = signature.size();
    while (at + 12 <= png.size()) {
        const std::uint32_t length = BigEndian32(png.constData() + at);
        if (length > static_cast<std::uint64_t>(png.size() - at - 12))
            return {};
        chunks.push_back({ std::string(png.constData() + at + 4, 4), png.mid(at + 8, length) });
        at += 12 + static_cast<qsizetype>(length);
    }
    if (at != png.size())
        return {};
    return chunks;
}

std::vector<std::string> ChunkTypes(const std::vector<PngChunk>& chunks)
{
    std::vector<std::string> types;
    for (const PngChunk& chunk : chunks)
        types.push_back(chunk.Type);
    return types;
}

std::optional<DecodedPng> DecodePng(const QByteArray& png)
{
    const std::vector<PngChunk> chunks = ReadChunks(png);
    if (chunks.empty() || chunks.front().Type != "IHDR" || chunks.front().Data.size() != 13)
        return std::nullopt;
    const QByteArray& header = chunks.front().Data;

    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.constData(), static_cast<std::size_t>(png.size())))
        return std::nullopt;
    image.format = PNG_FORMAT_RGB;
    DecodedPng decoded;
    decoded.Width = static_cast<int>(image.width);
    decoded.Height = static_cast<int>(image.height);
    decoded.BitDepth = static_cast<unsigned char>(header[8]);
    decoded.ColorType = static_cast<unsigned char>(header[9]);
    decoded.Rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, decoded.Rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    const std::size_t samples = decoded.ColorType == PNG_COLOR_TYPE_RGB ? 3 : 1;
    decoded.RowFilters = RowFilterBytes(chunks, decoded.Height, samples * static_cast<std::size_t>(decoded.Width));
    return decoded;
}
