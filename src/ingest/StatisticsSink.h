#pragma once

#include "LoopStore.h"
#include "PeerRecordStore.h"

class ChronyLogSet;

// Where a reader puts what it parses from one file. The caller has prepared the store
// for the file's kind: the loop store has its data set, and the peer records are started
// afresh or kept for appending.
struct StatisticsSink
{
    LoopStore& Loop;
    // The "up to" time: a loop reader sets it to the time stamp of the file's last line
    // when that line is a record.
    double& LatestTime;
    // Peer records, each file's in file order.
    PeerRecordStore& PeerRecords;
    // Days subtracted from every UTC time stamp as a line is parsed.
    double ZoneOffset = 0;
    // chrony's logs of the reading, connected when it ends; without it chrony's readers
    // read nothing.
    ChronyLogSet* Chrony = nullptr;
};
