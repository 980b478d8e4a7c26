#pragma once

#include <ctime>

namespace plimsa::bench {

/// CPU time of every thread of the process (llvmpipe shades on its own threads), in milliseconds. The
/// machines these run on are shared, so wall time alone says little.
inline double processCpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

}  // namespace plimsa::bench
