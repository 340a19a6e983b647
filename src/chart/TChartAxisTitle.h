#pragma once

#include "ChartColor.h"

#include <QString>

class TChart;

// The caption of an axis with its angle (degrees, reading along the axis) and font colour.
class TChartAxisTitle
{
public:
    explicit TChartAxisTitle(int angle)
        : angle_(angle)
    { }
    TChartAxisTitle(const TChartAxisTitle&) = delete;
    TChartAxisTitle& operator=(const TChartAxisTitle&) = delete;

    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    int Angle() const { return angle_; }
    void SetAngle(int degrees);
    ChartColor FontColor() const { return fontColor_; }
    void SetFontColor(ChartColor colour);

private:
    friend class TChart;
    QString caption_;
    int angle_ = 0;
    ChartColor fontColor_ = ChartColors::Black;
    TChart* chart_ = nullptr; // told about changes so that it repaints
};
