#pragma once

#include "TLineSeries.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

// A line series whose points carry an uncertainty: each point has a low and a high end,
// drawn as a vertical bar with short caps, and a count of the terms behind it; the points
// are marked with dots. The hover text names the values as the series says
// ("τ = 64 s", "σ = 1.2e-8", "n = 512").
class TErrorBarSeries : public TLineSeries
{
public:
    // Adds the point with its bar; keeps the bars in step with the X order of the points.
    // A point whose X is not a number is left out, as AddPoint does.
    void AddBar(double x, double y, double low, double high, std::int64_t terms);
    // A point without a bar (both ends at y, no terms), kept in step like AddBar.
    void AddPoint(double x, double y);

    // The bar of the i-th point in X order; without a bar both ends are the point's Y and
    // the count is 0. Points changed through the base class (ClearPoints, CopyFrom) leave
    // the bars out of step with them: then no point has a bar.
    double LowAt(std::size_t i) const;
    double HighAt(std::size_t i) const;
    std::int64_t TermsAt(std::size_t i) const;

    // The names of X and Y in the hover text and their units ("" for none).
    void SetValueNames(const QString& xName, const QString& xUnit, const QString& yName, const QString& yUnit);
    const QString& XName() const { return xName_; }
    const QString& XUnit() const { return xUnit_; }
    const QString& YName() const { return yName_; }
    const QString& YUnit() const { return yUnit_; }

    bool ExtraYRange(double& lowest, double& highest, bool positiveOnly) const override;

private:
    bool InStep() const;

    struct Bar
    {
        double Low = 0;
        double High = 0;
        std::int64_t Terms = 0;
    };
    std::vector<Bar> bars_;
    QString xName_ = QStringLiteral("x");
    QString xUnit_;
    QString yName_ = QStringLiteral("y");
    QString yUnit_;
};
