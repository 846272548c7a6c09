#pragma once

#include <cstdint>
#include <functional>

#include "terrain/LandSurface.h"
#include "terrain/Wrap.h"

namespace morvik {

// Enough to cut valleys that join into rivers, at any size.
inline constexpr int32_t kDefaultStorms = 8;

struct ErosionSettings {
    int32_t storms = kDefaultStorms;  // times the rain runs off the whole map
    // Water that reaches the sea drops its load there and goes no further.
    float seaLevel = 0;
    int32_t threads = 1;
    Wrap wrap = Wrap::kNone;                          // water and ground cross a wrapped edge
    std::function<void(double share)> progress = {};  // the share done so far
};

// What an erosion added to the land and took from it, in height a cell
// summed over the cells.
struct ErosionTally {
    double carriedAway = 0;    // by water off the edge, and by the sea
    double hollowsFilled = 0;  // to let water out of them at the start
};

// Rain on the land, a pure function of the surface and the settings. Loose
// ground creeps downhill first, which smooths away the steps of single
// circles, and the hollows it leaves are filled. Then, storm by storm, the
// rain on every cell runs down the steepest way to the sea or the map's
// edge, gathering as it goes; it cuts into the ground the more the more
// water there is, carries the sediment as far as its water and slope let
// it, and leaves the rest where it slows and at the river mouths. A little
// more creep rounds the valleys off. Heights may be in any unit: the land
// scales with them. The same surface and settings give the same land for
// any number of threads.
ErosionTally Erode(LandSurface& land, const ErosionSettings& settings);

}  // namespace morvik
