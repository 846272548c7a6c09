#pragma once

#include <cstdint>

namespace morvik {

// The parameters a run can take, besides the map's size (MapSize).
constexpr int32_t kLeastRoughness = 1;
constexpr int32_t kMostRoughness = 5;
constexpr int32_t kLeastSeaShare = 1;  // tenths of the map
constexpr int32_t kMostSeaShare = 9;
// The settings the windows start with: the batch tool's defaults too.
constexpr int32_t kFirstRoughness = 1;
constexpr int32_t kFirstSeaShare = 5;

// The counters of the current (or last) generation run.
struct GenerationJob {
    int32_t TotalIterations = 0;
    int32_t SeaTarget = 0;  // per mille of the map's cells
    int32_t IterationsDone = 0;
};

}  // namespace morvik
