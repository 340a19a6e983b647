#include "PeerLineFormat.h"

#include <charconv>

namespace {

template <typename T> void AppendNumber(std::string& text, T value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.append(buffer, result.ptr);
}

} // namespace

void AppendPeerLine(std::string& text, std::int32_t mjd, double secondsOfDay, std::string_view address, double offset,
    double delay, double dispersion, std::optional<double> jitter)
{
    AppendNumber(text, mjd);
    text += ' ';
    AppendNumber(text, secondsOfDay);
    text += ' ';
    text += address;
    text += " 0 ";
    AppendNumber(text, offset);
    text += ' ';
    AppendNumber(text, delay);
    text += ' ';
    AppendNumber(text, dispersion);
    text += ' ';
    if (jitter)
        AppendNumber(text, *jitter);
    else
        text += NoJitterField;
    text += '\n';
}
