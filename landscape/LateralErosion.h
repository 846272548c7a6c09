#pragma once

#include <cstdint>

#include "landscape/LandSurface.h"
#include "terrain/Wrap.h"
#include "terrain/ZeroedVector.h"

namespace morvik {

// Large rivers wear their banks as well as their beds, and so widen their
// valleys' floors (lateral erosion): a land cell beside a river cell whose
// drained area is at least `riverArea` moves `share` of the way down to the
// lowest such river cell's height plus `floorRise`, and what it loses is
// added to its sediment. River cells stay as they are, so the pass is a
// stencil that reads none of the cells it writes.
struct ValleyFloors {
    float riverArea;
    float share;
    float floorRise;
};
void WidenValleyFloors(LandSurface& land, const ZeroedVector<float>& area, float seaLevel,
                       const ValleyFloors& floors, Wrap wrap, ZeroedVector<float>& sediment,
                       int32_t threads);

}  // namespace morvik
