#include "OffsetHistogram.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int BinReach = 100; // bins -100 .. 100
constexpr double DataReach = 35; // the half span s lands on bin 35

QString OneDecimal(double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', 1);
}

} // namespace

OffsetHistogram BinOffsets(std::span<const double> offsets, double clipLimitUs)
{
    OffsetHistogram histogram;
    const bool milliseconds = clipLimitUs > 1000;
    const QString unit = milliseconds ? QStringLiteral("ms") : QStringLiteral("\u00b5s");
    histogram.ChartTitle = milliseconds ? QStringLiteral("Count versus milliseconds offset")
                                        : QStringLiteral("Count versus microseconds offset");

    const std::size_t n = offsets.size();
    if (n == 0) {
        histogram.ChartTitle = QStringLiteral("Nothing to show: no offsets plotted");
        return histogram;
    }

    double sum = 0;
    for (double y : offsets)
        sum += y;
    histogram.Mean = sum / static_cast<double>(n);
    if (n == 1) {
        histogram.StandardDeviation = offsets[0];
    } else {
        double squares = 0;
        for (double y : offsets)
            squares += (y - histogram.Mean) * (y - histogram.Mean);
        histogram.StandardDeviation = std::sqrt(squares / static_cast<double>(n - 1));
    }
    histogram.BottomTitle = QStringLiteral("Mean: %1 %3,  standard deviation: %2 %3")
                                .arg(OneDecimal(histogram.Mean), OneDecimal(histogram.StandardDeviation), unit);

    const auto [lowest, highest] = std::minmax_element(offsets.begin(), offsets.end());
    const double halfSpan = (std::fabs(*highest) + std::fabs(*lowest)) / 2;
    if (!(halfSpan > 0) || !std::isfinite(halfSpan)) {
        histogram.ChartTitle = QStringLiteral("Nothing to show: all offsets are 0");
        return histogram;
    }
    histogram.Scale = DataReach / halfSpan;

    std::array<int, 2 * BinReach + 1> counts {};
    for (double y : offsets) {
        const double b = std::nearbyint(y * histogram.Scale);
        if (b >= -BinReach && b <= BinReach)
            ++counts[static_cast<std::size_t>(static_cast<int>(b) + BinReach)];
    }
    for (int b = -BinReach; b <= BinReach; ++b) {
        const int count = counts[static_cast<std::size_t>(b + BinReach)];
        if (count > 0)
            histogram.Bins.push_back({ b, b / histogram.Scale, count });
    }
    histogram.HasBins = true;
    return histogram;
}
