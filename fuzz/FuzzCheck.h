#pragma once

// Stops the fuzz run when a property the parsers promise does not hold, so libFuzzer
// saves the input as a crash like any sanitizer finding.
void FuzzCheck(bool holds, const char* property);
