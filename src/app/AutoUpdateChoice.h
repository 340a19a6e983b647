#pragma once

#include <QString>

// The entries of the auto-update list, in list order (index 0 turns updating off).
inline constexpr const char* AutoUpdateChoices[] = {
    " (none)",
    "1 minute",
    "5 minutes",
    "15 minutes",
    "30 minutes",
    "60 minutes",
};

// Minutes named by an entry: the whole number before its first blank, or -1 when there
// is none (" (none)" begins with a blank, so it reads as -1).
int AutoUpdateMinutes(const QString& choice);
