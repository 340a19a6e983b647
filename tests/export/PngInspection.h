#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Test-side reading of written PNG files: raw chunks in file order, and the pixels
// decoded by libpng's reader.
struct PngChunk
{
    std::string Type;
    QByteArray Data;
};

struct DecodedPng
{
    int Width = 0;
    int Height = 0;
    int BitDepth = 0;
    int ColorType = 0;
    std::vector<std::uint8_t> Rgb; // Width * Height RGB triples, top row first
    std::vector<std::uint8_t> RowFilters; // the filter type byte of each row
};

QByteArray ReadWholeFile(const QString& path);
// Empty when the signature is wrong or a chunk runs past the end.
std::vector<PngChunk> ReadChunks(const QByteArray& png);
std::vector<std::string> ChunkTypes(const std::vector<PngChunk>& chunks);
std::optional<DecodedPng> DecodePng(const QByteArray& png);
