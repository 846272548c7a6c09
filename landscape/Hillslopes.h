#pragma once

#include <cstdint>

#include "landscape/LandSurface.h"
#include "terrain/Wrap.h"
#include "terrain/ZeroedVector.h"

namespace morvik {

// What shapes the slopes between the rivers, a stencil over the eight
// neighbours pass by pass, the sea counting as its surface and the ground
// beyond an edge that does not wrap as missing. The sea floor stays as it is.
struct Hillslopes {
    // Soil creeps downhill as heat diffuses, at a rate set by the ground's
    // curvature: every land cell moves toward its neighbours' mean. The
    // diffusivity times the time, in cells squared.
    float spread;
    // Slopes steeper than the ground can stand fail (the talus limit of
    // threshold hillslopes): no land cell stays higher than a neighbour by
    // more than this a cell of distance; what falls is added to the cell's
    // sediment. A cut deeper than the passes can open widens over the next
    // steps.
    float talusSlope;
    int32_t talusPasses;
};

// Land never falls to the sea's level, and a cell lowered by the talus
// limit stands above the neighbour it was lowered to.
void ShapeHillslopes(LandSurface& land, float seaLevel, const Hillslopes& hillslopes, Wrap wrap,
                     ZeroedVector<float>& sediment, int32_t threads);

}  // namespace morvik
