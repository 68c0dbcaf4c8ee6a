#include "fuzz_input.h"

#include <cstdio>
#include <cstdlib>

void FuzzCheck(bool condition, const char *what)
{
    if (condition)
        return;
    std::fprintf(stderr, "property failed: %s\n", what);
    std::abort();
}
