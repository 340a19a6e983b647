#pragma once

#include "DocumentSettings.h"

#include <QSize>

#include <optional>

// The settings as the window's controls show them when it starts, read from the user's
// store without writing anything back: a run from cron must leave the store alone, or
// it could undo a change made meanwhile in a running window.
struct StoredSettings
{
    DocumentSettings Document;
    QSize ClientSize; // the stored window's client area, as the window would take it
};

StoredSettings ReadStoredSettings();

// Values given on the command line of a run without a window. They replace the stored
// values for that run only; the store itself is never written.
struct SettingOverrides
{
    std::optional<int> PlotHours; // --hours N, 12..168
    std::optional<bool> LocalTime; // --local-time (true) or --utc (false)
    std::optional<bool> Weighted; // --weighted: the exponential moving average

    bool Any() const { return PlotHours || LocalTime || Weighted; }
};

// The stored settings with the overrides in place.
StoredSettings ReadStoredSettings(const SettingOverrides& overrides);
