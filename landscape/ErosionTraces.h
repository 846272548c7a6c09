#pragma once

#include "landscape/LandSurface.h"
#include "terrain/MapSize.h"

namespace morvik {

// What the wearing leaves besides the whole levels, cell by cell as the
// land lies: the finer heights and the cut and the fill that engines paint
// their terrain by.
struct ErosionTraces {
    explicit ErosionTraces(MapSize size) : levels(size), wear(size), deposit(size) {}

    // The worn surface in levels before they are made whole: a cell's whole
    // level is this rounded down, unless a hollow had to be filled after.
    LandSurface levels;
    // Rock the rivers, their banks and failing slopes took away, and the
    // sediment left behind, in levels.
    LandSurface wear;
    LandSurface deposit;
};

}  // namespace morvik
