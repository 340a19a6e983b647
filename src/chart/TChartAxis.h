#pragma once

#include "ChartColor.h"
#include "TChartAxisTitle.h"

#include <QString>

class TChart;

enum class AxisPosition { Left, Right, Bottom };

// One axis of a chart. An automatic axis spans the values of the series drawn against it;
// a manual one spans exactly Minimum to Maximum.
class TChartAxis
{
public:
    explicit TChartAxis(AxisPosition position);
    TChartAxis(const TChartAxis&) = delete;
    TChartAxis& operator=(const TChartAxis&) = delete;

    AxisPosition Position() const { return position_; }

    TChartAxisTitle& Title() { return title_; }
    const TChartAxisTitle& Title() const { return title_; }
    ChartColor LabelsFontColor() const { return labelsFontColor_; }
    void SetLabelsFontColor(ChartColor colour);

    // Automatic true makes both ends automatic whatever the per-end flags say; setting it
    // sets both per-end flags as well. With Automatic false each end follows its own flag.
    bool Automatic() const { return automatic_; }
    void SetAutomatic(bool automatic);
    bool AutomaticMinimum() const { return automaticMinimum_; }
    void SetAutomaticMinimum(bool automatic);
    bool AutomaticMaximum() const { return automaticMaximum_; }
    void SetAutomaticMaximum(bool automatic);
    bool MinimumIsAutomatic() const { return automatic_ || automaticMinimum_; }
    bool MaximumIsAutomatic() const { return automatic_ || automaticMaximum_; }

    double Minimum() const { return minimum_; }
    double Maximum() const { return maximum_; }
    // Throw AxisException ("Axis Minimum Value must be <= Maximum" /
    // "Axis Maximum Value must be >= Minimum") and leave the axis unchanged when the new
    // end would cross the other. Neither changes Automatic.
    void SetMinimum(double minimum);
    void SetMaximum(double maximum);
    // Makes the axis manual, swaps reversed ends and keeps a span of at least 1e-10.
    void SetRange(double a, double b);

    bool Logarithmic() const { return logarithmic_; }
    void SetLogarithmic(bool logarithmic);
    // On a logarithmic axis: ticks at whole powers of ten only (1e-9, 1e-8 ... or 1, 10,
    // 100 ...) with fainter grid lines at 2 to 9 times them, and automatic ends rounded
    // out to whole decades. Off (the default), a logarithmic axis keeps its powers of two
    // or its 1-2-5 ticks.
    bool DecadeTicks() const { return decadeTicks_; }
    void SetDecadeTicks(bool decades);
    const QString& AxisValuesFormat() const { return axisValuesFormat_; }
    void SetAxisValuesFormat(const QString& pattern);
    const QString& DateTimeFormat() const { return dateTimeFormat_; }
    void SetDateTimeFormat(const QString& pattern);

private:
    friend class TChart;
    void Changed();

    AxisPosition position_;
    TChartAxisTitle title_;
    ChartColor labelsFontColor_ = ChartColors::Black;
    bool automatic_ = true;
    bool automaticMinimum_ = true;
    bool automaticMaximum_ = true;
    double minimum_ = 0.0;
    double maximum_ = 0.0;
    bool logarithmic_ = false;
    bool decadeTicks_ = false;
    QString axisValuesFormat_ = QStringLiteral("#,##0.###");
    QString dateTimeFormat_;
    TChart* chart_ = nullptr;
};

// The model's free-standing form of TChartAxis::SetRange; never refused.
void SetRange(TChartAxis& axis, double a, double b);
