#pragma once

#include <QString>

// True when a new, uniquely named file can be created in directory and deleted
// again. An empty directory name is no directory and gives false.
bool IsDirectoryWritable(const QString& directory);

// Where saved images go: the folder part of loopDirectory (the folder of the loop
// statistics file read last, ending in '/') when it is writable, otherwise the current
// working directory with a '/' appended; empty when neither is there (nothing is saved).
QString ImageTargetDirectory(const QString& loopDirectory);
