#pragma once

#include "FileOrder.h"

// What a file name says to one reader.
struct NameClaim
{
    enum class Verdict {
        // The name says nothing to this reader.
        Unknown,
        // The reader reads the file by its name alone, in its place in the order.
        Claimed,
        // The name is of the reader's family but not of a form it reads by name
        // ("loopstats", "loopstats.txt"). A list does not accept it; given alone, it
        // is read by the reader that recognises its text, or by this one when none does.
        Family,
        // The name is in the reader's naming scheme but of a kind no reader reads
        // ("clockstats.20200419"): it is never read.
        Foreign,
    };

    Verdict verdict = Verdict::Unknown;
    FileOrder order; // set when Claimed
};
