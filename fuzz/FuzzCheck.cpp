#include "FuzzCheck.h"

#include <cstdio>
#include <cstdlib>

void FuzzCheck(bool holds, const char* property)
{
    if (holds)
        return;
    std::fprintf(stderr, "fuzz property failed: %s\n", property);
    std::abort();
}
