#pragma once

#include "ChartConfiguration.h"
#include "LoopChartRebuild.h"
#include "LoopStore.h"
#include "TChart.h"

#include <QString>

#include <array>
#include <cstdint>

// 2020-04-19 00:00 as a day number.
inline constexpr double April19 = 43940;

inline double MinutesAfter(double day, double minutes)
{
    return day + minutes / 1440;
}

// Builds a one-data-set loop store sample by sample.
class LoopStoreBuilder
{
public:
    explicit LoopStoreBuilder(const QString& name = QStringLiteral("loopstats")) { AddDataSet(name); }

    LoopStoreBuilder& AddDataSet(const QString& name)
    {
        store.DataSetCount += 1;
        store.DataSetNames.push_back(name);
        store.PointCounts.push_back(0);
        store.LoopTimes.emplace_back();
        store.LoopOffsets.emplace_back();
        store.LoopFrequencies.emplace_back();
        store.LoopJitters.emplace_back();
        store.LoopPollExponents.emplace_back();
        return *this;
    }

    // Appends to the last data set.
    LoopStoreBuilder& Add(
        double time, double offsetMs = 0.01, double frequency = 10, double jitterMs = 0.02, std::int32_t poll = 6)
    {
        const std::size_t s = store.LoopTimes.size() - 1;
        store.LoopTimes[s].push_back(time);
        store.LoopOffsets[s].push_back(offsetMs);
        store.LoopFrequencies[s].push_back(frequency);
        store.LoopJitters[s].push_back(jitterMs);
        store.LoopPollExponents[s].push_back(poll);
        store.PointCounts[s] += 1;
        return *this;
    }

    // `count` samples `stepMinutes` apart from `start`.
    LoopStoreBuilder& AddRegular(
        double start, int count, double stepMinutes, double offsetMs = 0.01, double jitterMs = 0.02)
    {
        for (int i = 0; i < count; ++i)
            Add(MinutesAfter(start, i * stepMinutes), offsetMs, 10, jitterMs);
        return *this;
    }

    LoopStore store;
};

// The seven loop charts in their fixed design.
struct LoopChartsFixture
{
    LoopChartsFixture()
    {
        ConfigureChart(offsets, ChartId::Offsets);
        ConfigureChart(offsetVsTOD, ChartId::OffsetVsTOD);
        ConfigureChart(absFrequency, ChartId::AbsFrequency);
        ConfigureChart(frequency, ChartId::Frequency);
        ConfigureChart(freqVsTOD, ChartId::FreqVsTOD);
        ConfigureChart(jitter, ChartId::Jitter);
        ConfigureChart(poll, ChartId::LoopstatsPollInterval);
    }

    LoopChartSet Set() { return { &offsets, &offsetVsTOD, &absFrequency, &frequency, &freqVsTOD, &jitter, &poll }; }

    std::array<TChart*, 7> All()
    {
        return { &offsets, &offsetVsTOD, &absFrequency, &frequency, &freqVsTOD, &jitter, &poll };
    }

    LoopRebuildResults Build(const LoopStore& store, LoopRebuildInputs inputs = {})
    {
        inputs.Store = &store;
        if (inputs.LatestTime == 0 && store.DataSetCount > 0 && !store.LoopTimes[0].empty())
            inputs.LatestTime = store.LoopTimes[0].back();
        return BuildLoopCharts(inputs, Set());
    }

    TChart offsets, offsetVsTOD, absFrequency, frequency, freqVsTOD, jitter, poll;
};
