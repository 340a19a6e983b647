#pragma once

#include "StatGenParams.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>

// Statistics made at run time for the benchmarks, in a temporary directory that lives
// until the program ends.
struct BenchDirectory
{
    QString path;
    QStringList loopFiles;
    QStringList peerFiles;
    std::uint64_t loopBytes = 0;
    std::uint64_t peerBytes = 0;
};

// days of year-density statistics (plain files), made once per (days, gzip) and reused.
const BenchDirectory& YearDensityDirectory(int days, bool gzip);

// days of dense chronyd logs, rotated daily (tracking.log, tracking.log.1, ... all plain):
// tracking and the PPS refclock every 16 s, two NTP sources, no GPS. loopFiles are the
// tracking logs, peerFiles the other three.
const BenchDirectory& ChronyDenseDirectory(int days);
