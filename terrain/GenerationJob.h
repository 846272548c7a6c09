#pragma once

#include <cstdint>

namespace morvik {

// The counters of the current (or last) generation run.
struct GenerationJob {
    int32_t TotalIterations = 0;
    int32_t SeaTarget = 0;  // per mille of the map's cells
    int32_t IterationsDone = 0;
};

}  // namespace morvik
