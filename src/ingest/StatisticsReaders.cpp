#include "StatisticsReaders.h"

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

const std::vector<const StatisticsReader*>& StandardStatisticsReaders()
{
    static const std::vector<const StatisticsReader*> readers { &NtpLoopstats(), &NtpPeerstats() };
    return readers;
}
