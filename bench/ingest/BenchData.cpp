#include "BenchData.h"

#include "ChronyLogGenerator.h"
#include "StatisticsDirectoryWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <utility>

const BenchDirectory& YearDensityDirectory(int days, bool gzip)
{
    static std::map<std::pair<int, bool>, std::pair<std::unique_ptr<QTemporaryDir>, BenchDirectory>> made;
    auto& entry = made[{ days, gzip }];
    if (entry.first)
        return entry.second;

    entry.first = std::make_unique<QTemporaryDir>();
    BenchDirectory& data = entry.second;
    data.path = entry.first->path();
    StatGenParams params = YearParams();
    params.days = days;
    params.gapStartHours = -1;
    params.restartHours = -1;
    params.gzipDays.clear();
    if (gzip)
        for (int d = 0; d < days; ++d)
            params.gzipDays.insert(d);
    for (const std::string& written : WriteStatisticsDirectory(QFile::encodeName(data.path).toStdString(), params)) {
        const QString name = QFile::decodeName(QByteArray::fromStdString(written));
        const auto size = static_cast<std::uint64_t>(QFileInfo(name).size());
        if (QFileInfo(name).fileName().startsWith(QLatin1String("loop"))) {
            data.loopFiles.append(name);
            data.loopBytes += size;
        } else {
            data.peerFiles.append(name);
            data.peerBytes += size;
        }
    }
    return data;
}

const BenchDirectory& ChronyDenseDirectory(int days)
{
    static std::map<int, std::pair<std::unique_ptr<QTemporaryDir>, BenchDirectory>> made;
    auto& entry = made[days];
    if (entry.first)
        return entry.second;

    entry.first = std::make_unique<QTemporaryDir>();
    BenchDirectory& data = entry.second;
    data.path = entry.first->path();
    ChronyGenParams params;
    params.days = days;
    params.ppsPollSeconds = 16;
    params.ppsSamplesPerFilter = 1;
    params.gpsRefclock = false;
    params.ppsOutageStartHours = -1;
    params.rotation = ChronyRotation::Numbered;
    params.gzipRotated = false;
    for (const std::string& written : WriteChronyDirectory(QFile::encodeName(data.path).toStdString(), params)) {
        const QString name = QFile::decodeName(QByteArray::fromStdString(written));
        const auto size = static_cast<std::uint64_t>(QFileInfo(name).size());
        if (QFileInfo(name).fileName().startsWith(QLatin1String("tracking"))) {
            data.loopFiles.append(name);
            data.loopBytes += size;
        } else {
            data.peerFiles.append(name);
            data.peerBytes += size;
        }
    }
    return data;
}
