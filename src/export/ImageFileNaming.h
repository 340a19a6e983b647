#pragma once

#include <QString>

// The date prefix of saved images: the day of the largest plotted time value (a day
// number counted from 30 December 1899), cut to its whole day, as "yyyy-mm-dd". A value
// that is not a date (not finite, or outside the years 1 to 9999) counts as 0, like a
// chart without points.
QString DatePrefix(double highestX);

// directory + prefix + suffix; directory is expected to end in a separator.
QString ImageFileName(const QString& directory, const QString& prefix, const QString& suffix);
