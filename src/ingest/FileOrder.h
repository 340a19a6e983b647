#pragma once

#include <QString>

// A statistics file's place in the reading order. Files are read in ascending order of
// text (case ignored), then time, then rank; files in the same place keep the order in
// which they were listed.
//
// ntpd names its files by the period they hold, so their place comes from the name:
// text is the path with the period written as the date it starts on. A day file's text
// is its whole path, which keeps the order of day files exactly that of their names.
// Files whose names do not tell their order (rotated logs: "tracking.log.1") put the
// common part of the name in text and the first time stamp they hold in time.
struct FileOrder
{
    QString text;
    double time = 0; // a day number, as the loop store's time stamps
    int rank = 0; // among files that start together: the longer period first

    // Whether a is read before b.
    static bool Before(const FileOrder& a, const FileOrder& b);
};
