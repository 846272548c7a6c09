#pragma once

#include <cstdint>

#include "landscape/BoxMean.h"
#include "landscape/LandSurface.h"
#include "terrain/Wrap.h"
#include "terrain/ZeroedVector.h"

namespace morvik {

// What shapes the slopes between the rivers, the sea counting as its
// surface. The sea floor stays as it is.
struct Hillslopes {
    // Soil creeps downhill as heat diffuses, at a rate set by the ground's
    // curvature: the diffusivity times the time, in cells squared. Each land
    // cell moves toward its ground's mean over a box as wide as the creep
    // spreads (a diffusion's spread in one step; steps make it round).
    float spread;
    // Slopes steeper than the ground can stand fail (the talus limit of
    // threshold hillslopes): no land cell stays higher than a neighbour by
    // more than this a cell of distance; what falls is the cell's sediment.
    // Each pass is a stencil over the eight neighbours; a cut deeper than
    // the passes open widens over the next steps.
    float talusSlope;
    int32_t talusPasses;
};

// Land never falls to the sea's level, and a cell lowered by the talus
// limit stands above the neighbour it was lowered to. `scratch` is any grid
// of the map's cells, which this leaves as it likes.
void ShapeHillslopes(LandSurface& land, float seaLevel, const Hillslopes& hillslopes, Wrap wrap,
                     ZeroedVector<float>& scratch, ZeroedVector<float>& sediment, int32_t threads);

// The reach of the box the creep of this spread takes.
int32_t CreepReach(float spread);

// Its two kinds of step, for a surface that is part of a world: the creep
// of `part`'s cells, and one pass of the talus limit over the surface (the
// first pass starting each cell's fallen sediment from none).
void Creep(LandSurface& land, float seaLevel, float spread, const GridPart& part,
           ZeroedVector<float>& ground, ZeroedVector<float>& across, int32_t threads);
void TalusPass(LandSurface& land, float seaLevel, float talusSlope, bool first, Wrap wrap,
               ZeroedVector<float>& sediment, int32_t threads);

}  // namespace morvik
