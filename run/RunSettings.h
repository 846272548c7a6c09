#pragma once

#include <cstdint>
#include <optional>

#include "terrain/MapSize.h"
#include "terrain/WorldSize.h"
#include "terrain/Wrap.h"

namespace morvik {

// Everything one run takes: the same settings and tick make the same map in
// every front end.
struct RunSettings {
    int32_t width;
    int32_t height;
    int32_t roughness;
    int32_t seaShare;  // tenths of the map
    uint32_t tick;     // the clock every random number is bounded by
    // How long the land wears; none: the land as the circles left it.
    std::optional<int32_t> erosion = std::nullopt;
    Wrap wrap = Wrap::kNone;

    // Throws ERangeError for a map larger than one process holds.
    MapSize Size() const { return MapSize(width, height); }
    WorldSize World() const { return WorldSize(width, height); }
};

// The lowest and highest of one setting.
struct SettingRange {
    int32_t least;
    int32_t most;

    bool Holds(int64_t value) const { return value >= least && value <= most; }
};

// What a run may be asked for, and what it is asked for when nothing is said.
struct RunLimits {
    SettingRange width, height, roughness, seaShare, erosion;
    RunSettings defaults;  // with a tick of 0: a front end reads its clock
    int32_t defaultErosion;
};

// Any run's limits.
RunLimits Limits();

// The same with the sizes of a world, which ranks build in tiles.
RunLimits WorldLimits();

// The same with the sizes the program's windows make, for front ends that
// hold their maps as the program does.
RunLimits WindowLimits();

// Throws ERangeError, naming the first setting outside `limits`.
void CheckSettings(const RunSettings& settings, const RunLimits& limits = Limits());

// The tick below which the circles a run takes cannot take all their places
// and sizes on a map of this size: every number taken is below the tick,
// and the centres need numbers up to three times the longer side.
int64_t SmallestFullTick(WorldSize size);

}  // namespace morvik
