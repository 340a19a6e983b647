#pragma once

#include "LongOptions.h"

// Runs the program without a window for --save-images, --export-csv and --report: checks
// the target directories, loads the statistics named by the remaining arguments as the
// window's start-up load would (with the user's settings and the command line's
// overrides), writes the images, CSV files and/or the report page, prints their names
// one per line and returns the exit code.
// programName: argv[0], for the toolkit.
int RunHeadless(const LongOptions& options, char* programName);
