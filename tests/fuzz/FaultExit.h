#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

// A broken check ends the fuzz run like a crash, so libFuzzer keeps the input.
inline void AbortOnFault(const std::string& fault)
{
    if (fault.empty())
        return;
    std::fprintf(stderr, "fuzz check failed: %s\n", fault.c_str());
    std::abort();
}
