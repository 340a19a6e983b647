#pragma once

#include "TLineSeries.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

class TChart;
struct LoopStore;

// The seven charts of the "Loopstats" page, filled by BuildLoopCharts. All must be set.
struct LoopChartSet
{
    TChart* Offsets = nullptr; // "Offset vs. date"
    TChart* OffsetVsTOD = nullptr; // "Offset vs. time of day"
    TChart* AbsFrequency = nullptr; // "Frequency vs. date"
    TChart* Frequency = nullptr; // "Frequency delta vs. date"
    TChart* FreqVsTOD = nullptr; // "Frequency delta vs. time of day"
    TChart* Jitter = nullptr; // "Jitter"
    TChart* LoopstatsPollInterval = nullptr; // "Poll Interval"
};

// What a loop chart rebuild reads: the loop statistics and the window's control values.
struct LoopRebuildInputs
{
    const LoopStore* Store = nullptr; // null reads as a store without data sets
    double LatestTime = 0; // the "up to" time shown at the end of the titles
    QString ZoneLabel = QStringLiteral("UTC");
    QString DirectoryLabel; // may be empty
    QStringList LoopFilesRead; // listed in the files hint

    int PlotHours = 12; // 12..168; values outside are taken as the nearest end
    int HoursToAverage = 6; // 1..12; likewise
    bool ExponentialAverage = false; // "Weighted"
    bool IgnoreDataGaps = false;
    bool ClipOffsets = true;

    int JitterScalePosition = 0; // UpDownJitterScale, 0..17
    bool JitterScaleChosen = false;
    bool ReloadInProgress = false;

    // Show the hourglass and run at idle priority while the data sets are processed.
    // Off for callers without a window (tests, benchmarks).
    bool ShowBusy = false;
};

// What the window must show or set after a rebuild.
struct LoopRebuildResults
{
    // Modal messages to show, in order: "Too few data points ..." or one
    // "Warning: too many points to plot! ..." per data set whose window was cut.
    QStringList Messages;

    // The new position of UpDownJitterScale and the new JitterScaleChosen.
    int JitterScalePosition = 0;
    bool JitterScaleChosen = false;

    // True when the data sets were processed: the window then hides
    // CheckBoxPeerstatsLAN and applies the plot background. False when the store had no
    // data set or too few samples: the charts are left without series.
    bool Plotted = false;
    // Of the data set processed last; meaningful only when Plotted (the window keeps its
    // earlier values otherwise).
    std::int32_t PlottedPointCount = 0;
    double FirstPlottedTime = 0;
    // Where those samples lie in the store: the data set processed last and its plot
    // window's first and last index (-1 and an empty window when not Plotted).
    std::int32_t PlottedDataSet = -1;
    std::int32_t PlottedFirst = 0;
    std::int32_t PlottedLast = -1;

    // The hint of LabelFilesHint: empty when not Plotted. The hint of
    // LabelHoursToAverage is always cleared.
    QString FilesHint;

    // For the histogram window: a detached copy of the offset series of the data set
    // processed last, and its clip limit in microseconds. Never null; empty when nothing
    // was plotted, so the histogram never shows offsets the charts no longer show.
    std::unique_ptr<TLineSeries> OffsetCopy = std::make_unique<TLineSeries>();
    double OffsetClipLimit = 0;
};

// Rebuilds the seven loop charts from nothing: removes their series, plots the last
// PlotHours hours of every data set (at most 57,601 samples each) with the hourly RMS,
// the day series, the jitter with its moving average and the poll interval, and sets the
// axis ranges and titles that depend on the data. Axis settings and titles not set here
// survive from earlier rebuilds.
LoopRebuildResults BuildLoopCharts(const LoopRebuildInputs& inputs, const LoopChartSet& charts);

// The span of a plot window as the date charts' titles give it: "2020-Apr-19 08:15 to
// 20:15 UTC", the end with its date only when it falls on another day than the start.
QString PlottedSpanText(double firstPlottedTime, double latestTime, const QString& zoneLabel);

// The hint of LabelFilesHint while the loop statistics are shown: the samples plotted and
// the loop files read, one per line.
QString LoopFilesHint(std::int32_t plottedPointCount, const QStringList& loopFilesRead);
