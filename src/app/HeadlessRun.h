#pragma once

#include "LongOptions.h"

// Runs the program without a window for --save-images and --export-csv: checks the
// target directories, loads the statistics named by the remaining arguments as the
// window's start-up load would (with the user's settings), writes the images and/or
// CSV files, prints their names one per line and returns the exit code.
// programName: argv[0], for the toolkit.
int RunHeadless(const LongOptions& options, char* programName);
