#pragma once

#include <cstdint>

#include "landscape/LandSurface.h"
#include "landscape/ReceiverTree.h"
#include "terrain/ZeroedVector.h"

namespace morvik {

// Large rivers wear their banks as well as their beds, and so widen their
// valleys' floors (lateral erosion): a land cell whose water runs straight
// into a river cell of at least `riverArea` cells' water moves `share` of
// the way down to that river cell's height plus `floorRise`, and what it
// loses is added to its sediment. It stays above the river, so every way
// down stays one; the river cells themselves stay as they are, so the pass
// reads none of the cells it writes.
struct ValleyFloors {
    float riverArea;
    float share;
    float floorRise;
};
void WidenValleyFloors(LandSurface& land, const ZeroedVector<float>& area, float seaLevel,
                       const ValleyFloors& floors, const ReceiverTree& tree,
                       ZeroedVector<float>& sediment, int32_t threads);

}  // namespace morvik
