#pragma once

#include <QColor>

#include <cstdint>

// A chart colour: a 24-bit RGB value, or the system's button-face colour (the colour of
// ordinary window surfaces). Button face is not an RGB value and never compares equal to
// one, so the automatic series colour never skips a palette entry because of it.
class ChartColor
{
public:
    constexpr ChartColor() = default; // black
    constexpr ChartColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
        : rgb_((std::uint32_t(red) << 16) | (std::uint32_t(green) << 8) | blue)
    { }

    // 0xRRGGBB; bits above the 24 colour bits are ignored.
    static constexpr ChartColor FromRgb(std::uint32_t rgb)
    {
        return ChartColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    }
    static constexpr ChartColor ButtonFace()
    {
        ChartColor colour;
        colour.buttonFace_ = true;
        return colour;
    }

    constexpr bool IsButtonFace() const { return buttonFace_; }
    constexpr std::uint32_t Rgb() const { return rgb_; } // 0 for button face
    constexpr int Red() const { return int((rgb_ >> 16) & 0xFF); }
    constexpr int Green() const { return int((rgb_ >> 8) & 0xFF); }
    constexpr int Blue() const { return int(rgb_ & 0xFF); }

    // The colour to paint with; button face is the application palette's window colour.
    QColor ToQColor() const;

    friend constexpr bool operator==(const ChartColor&, const ChartColor&) = default;

private:
    std::uint32_t rgb_ = 0;
    bool buttonFace_ = false;
};

namespace ChartColors {
inline constexpr ChartColor Black { 0, 0, 0 };
inline constexpr ChartColor White { 255, 255, 255 };
inline constexpr ChartColor Red { 255, 0, 0 };
inline constexpr ChartColor Silver { 192, 192, 192 };
} // namespace ChartColors
