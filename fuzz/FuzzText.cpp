// Text decoding (byte-order marks, legacy bytes, NUL) and line splitting, checked against
// a plain model: the lines are the decoded text split at CR LF, lone LF and lone CR.

#include "FuzzCheck.h"
#include "LineList.h"
#include "TextDecoding.h"

#include <QStringDecoder>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<std::string> ModelLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::string current;
    bool open = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(current);
            current.clear();
            open = false;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            current.push_back(c);
            open = true;
        }
    }
    if (open)
        lines.push_back(current);
    return lines;
}

bool IsAscii(std::string_view bytes)
{
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string text = DecodeStatisticsText(std::string(input));

    FuzzCheck(text.find('\0') == std::string::npos, "decoded text holds no NUL");
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    FuzzCheck(!utf8.hasError(), "decoded text is valid UTF-8");

    const bool marked
        = input.starts_with("\xFF\xFE") || input.starts_with("\xFE\xFF") || input.starts_with("\xEF\xBB\xBF");
    if (!marked && IsAscii(input))
        FuzzCheck(text == input.substr(0, input.find('\0')), "ASCII text passes unchanged");

    LineList lines;
    lines.appendText(std::string(text));
    const std::vector<std::string> model = ModelLines(text);
    FuzzCheck(lines.size() == model.size(), "line count matches the model");
    for (std::size_t i = 0; i < model.size(); ++i)
        FuzzCheck(lines[i] == model[i], "line text matches the model");
    return 0;
}
