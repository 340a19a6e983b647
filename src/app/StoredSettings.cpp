#include "StoredSettings.h"

#include "ChartAreaSize.h"
#include "RegistryLocation.h"
#include "RegistryStore.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace {

// A line edit holds at most this many characters; a longer stored text is cut as the
// threshold fields cut it.
constexpr int LineEditLength = 32767;

class StoreReader
{
public:
    StoreReader()
        : key_(QLatin1StringView(RegistryLocation::RegistryRoot) + RegistryLocation::KeyPath())
    { }

    std::optional<std::uint32_t> Dword(const char* name) const
    {
        const auto stored = RegistryStore::Read(key_, QLatin1String(name));
        if (stored && stored->kind == RegistryValue::Kind::Dword)
            return stored->dword;
        return std::nullopt;
    }

    bool Boolean(const char* name, bool fallback) const
    {
        const auto stored = Dword(name);
        return stored ? *stored != 0 : fallback;
    }

    // A spinner's position: the low 16 bits with their sign, brought into its range.
    int Position(const char* name, int fallback, int low, int high) const
    {
        const auto stored = Dword(name);
        const int position
            = stored ? static_cast<std::int16_t>(static_cast<std::uint16_t>(*stored & 0xffff)) : fallback;
        return std::clamp(position, low, high);
    }

    QString Text(const char* name, const QString& fallback) const
    {
        const auto stored = RegistryStore::Read(key_, QLatin1String(name));
        if (stored
            && (stored->kind == RegistryValue::Kind::String || stored->kind == RegistryValue::Kind::ExpandString))
            return stored->text.left(LineEditLength);
        return fallback;
    }

    int Integer(const char* name) const
    {
        const auto stored = Dword(name);
        return stored ? static_cast<std::int32_t>(*stored) : 0;
    }

private:
    QString key_;
};

} // namespace

StoredSettings ReadStoredSettings()
{
    const StoreReader store;
    StoredSettings stored;
    DocumentSettings& s = stored.Document;
    s.PlotHours = store.Position("PlotHours", s.PlotHours, 12, 168);
    s.HoursToAverage = store.Position("HoursToAverage", s.HoursToAverage, 1, 12);
    s.ExponentialAverage = store.Boolean("ExponentialAverage", s.ExponentialAverage);
    s.IgnoreDataGaps = store.Boolean("IgnoreDataGaps", s.IgnoreDataGaps);
    s.ClipOffsets = store.Boolean("ClipOffsets", s.ClipOffsets);
    s.PeerstatsLAN = store.Boolean("PeerstatsLAN", s.PeerstatsLAN);
    const char* const thresholds[] = { "MaxPeerOffset", "MaxPeerDelay", "MaxPeerDispersion", "MaxPeerJitter" };
    for (std::size_t i = 0; i < s.PeerThresholds.size(); ++i)
        s.PeerThresholds[i] = store.Text(thresholds[i], s.PeerThresholds[i]);
    s.AbbreviateDirectoryName = store.Boolean("AbbreviateDirectoryName", s.AbbreviateDirectoryName);
    s.LocalTime = store.Boolean("LocalTime", s.LocalTime);
    s.WhitePlotBackground = store.Boolean("WhitePlotBackground", s.WhitePlotBackground);
    s.SaveWithDatePrefix = store.Boolean("SaveWithDatePrefix", s.SaveWithDatePrefix);
    s.StabilityPeers = store.Boolean("StabilityPeers", s.StabilityPeers);
    stored.ClientSize = StoredClientSize(store.Integer("FormClientWidth"), store.Integer("FormClientHeight"));
    return stored;
}

StoredSettings ReadStoredSettings(const SettingOverrides& overrides)
{
    StoredSettings stored = ReadStoredSettings();
    DocumentSettings& s = stored.Document;
    if (overrides.PlotHours)
        s.PlotHours = std::clamp(*overrides.PlotHours, 12, 168);
    if (overrides.LocalTime)
        s.LocalTime = *overrides.LocalTime;
    if (overrides.Weighted)
        s.ExponentialAverage = *overrides.Weighted;
    return stored;
}
