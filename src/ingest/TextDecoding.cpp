#include "TextDecoding.h"

#include <QString>
#include <QStringDecoder>

#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

bool IsAscii(std::string_view text)
{
    // Eight bytes at a time: the high bit of any byte marks non-ASCII.
    const char* p = text.data();
    std::size_t n = text.size();
    std::uint64_t any = 0;
    while (n >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        any |= word;
        p += 8;
        n -= 8;
    }
    while (n > 0) {
        any |= static_cast<unsigned char>(*p);
        ++p;
        --n;
    }
    return (any & 0x8080808080808080ULL) == 0;
}

// Length of the valid UTF-8 sequence at text[i], or 0 if the byte there does not start
// one (overlong forms, surrogates and values above U+10FFFF are invalid).
std::size_t ValidSequenceLength(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    const std::size_t left = text.size() - i;
    const auto cont = [&](std::size_t k) { return k < left && (byte(i + k) & 0xC0) == 0x80; };
    if (b0 < 0x80)
        return 1;
    if (b0 >= 0xC2 && b0 <= 0xDF)
        return cont(1) ? 2 : 0;
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (!cont(1) || !cont(2))
            return 0;
        const unsigned char b1 = byte(i + 1);
        if ((b0 == 0xE0 && b1 < 0xA0) || (b0 == 0xED && b1 >= 0xA0))
            return 0;
        return 3;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3))
            return 0;
        const unsigned char b1 = byte(i + 1);
        if ((b0 == 0xF0 && b1 < 0x90) || (b0 == 0xF4 && b1 >= 0x90))
            return 0;
        return 4;
    }
    return 0;
}

// Keeps valid UTF-8 sequences and re-encodes every other byte as the Latin-1 character
// of the same value.
std::string RepairUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t n = ValidSequenceLength(text, i);
        if (n > 0) {
            out.append(text.substr(i, n));
            i += n;
        } else {
            const unsigned char b = static_cast<unsigned char>(text[i]);
            out.push_back(static_cast<char>(0xC0 | (b >> 6)));
            out.push_back(static_cast<char>(0x80 | (b & 0x3F)));
            ++i;
        }
    }
    return out;
}

bool IsValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t n = ValidSequenceLength(text, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::string DecodeUtf16(std::string_view bytes, QStringDecoder::Encoding encoding)
{
    // Find the first NUL code unit; it ends the text.
    std::size_t units = bytes.size() / 2;
    for (std::size_t u = 0; u < units; ++u) {
        if (bytes[2 * u] == 0 && bytes[2 * u + 1] == 0) {
            units = u;
            break;
        }
    }
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(2 * units)));
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

} // namespace

std::string DecodeStatisticsText(std::string&& bytes)
{
    const std::string_view view(bytes);
    if (view.size() >= 2 && view[0] == '\xFF' && view[1] == '\xFE')
        return DecodeUtf16(view.substr(2), QStringDecoder::Utf16LE);
    if (view.size() >= 2 && view[0] == '\xFE' && view[1] == '\xFF')
        return DecodeUtf16(view.substr(2), QStringDecoder::Utf16BE);

    std::size_t start = 0;
    if (view.size() >= 3 && view.substr(0, 3) == "\xEF\xBB\xBF")
        start = 3;
    std::size_t end = view.size();
    if (const void* nul = std::memchr(view.data() + start, '\0', end - start))
        end = static_cast<std::size_t>(static_cast<const char*>(nul) - view.data());

    const std::string_view text = view.substr(start, end - start);
    if (IsAscii(text) || IsValidUtf8(text)) {
        bytes.resize(end);
        bytes.erase(0, start);
        return std::move(bytes);
    }
    return RepairUtf8(text);
}
