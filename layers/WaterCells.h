#pragma once

#include <cstdint>

#include "layers/LandLayers.h"
#include "terrain/WorldSize.h"
#include "terrain/ZeroedVector.h"

namespace morvik {

// The land under water as a map shows it, 1 a cell, row by row from the
// top: the lakes, and the rivers, land that drains more than a share of
// the map's cells, each as wide as the water through it, so rivers widen
// downstream. Alike at every size: a map twice as large shows the same
// rivers twice as wide. The layers' water is traced (TraceWater); `whole`
// is the size of the world they are part of, or their own.
ZeroedVector<uint8_t> WaterCells(const LandLayers& layers, WorldSize whole);

// How far from a river's cells, at most, its water reaches in a world of
// this size.
int32_t RiverReach(WorldSize whole);

}  // namespace morvik
