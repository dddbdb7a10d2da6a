#pragma once

#include <cstdlib>

// A broken invariant ends the run, so that libFuzzer keeps the input.
inline void check(bool ok)
{
    if (!ok)
        std::abort();
}
