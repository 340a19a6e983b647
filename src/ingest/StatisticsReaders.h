#pragma once

#include "StatisticsReader.h"

#include <vector>

// The readers of the program, in the order discovery asks them: ntpd's loopstats and
// peerstats, then chrony's tracking, measurements, statistics and refclocks logs. Each
// lives as long as the program.
const std::vector<const StatisticsReader*>& StandardStatisticsReaders();

// The two readers of ntpd's files, for callers that name the kind of a file themselves.
const StatisticsReader& NtpLoopstats();
const StatisticsReader& NtpPeerstats();

// The readers of chrony's four logs.
const StatisticsReader& ChronyTracking();
const StatisticsReader& ChronyMeasurements();
const StatisticsReader& ChronyStatistics();
const StatisticsReader& ChronyRefclocks();
