#include "StatisticsReaders.h"

#include "ChronyLogReader.h"
#include "NtpLoopstatsReader.h"
#include "NtpPeerstatsReader.h"

const StatisticsReader& NtpLoopstats()
{
    static const NtpLoopstatsReader reader;
    return reader;
}

const StatisticsReader& NtpPeerstats()
{
    static const NtpPeerstatsReader reader;
    return reader;
}

const StatisticsReader& ChronyTracking()
{
    static const ChronyLogReader reader(ChronyLogReader::Log::Tracking);
    return reader;
}

const StatisticsReader& ChronyMeasurements()
{
    static const ChronyLogReader reader(ChronyLogReader::Log::Measurements);
    return reader;
}

const StatisticsReader& ChronyStatistics()
{
    static const ChronyLogReader reader(ChronyLogReader::Log::Statistics);
    return reader;
}

const StatisticsReader& ChronyRefclocks()
{
    static const ChronyLogReader reader(ChronyLogReader::Log::Refclocks);
    return reader;
}

const std::vector<const StatisticsReader*>& StandardStatisticsReaders()
{
    static const std::vector<const StatisticsReader*> readers { &NtpLoopstats(), &NtpPeerstats(), &ChronyTracking(),
        &ChronyMeasurements(), &ChronyStatistics(), &ChronyRefclocks() };
    return readers;
}
