#include "terrain/ErodedLand.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "terrain/Drainage.h"
#include "terrain/ParallelFor.h"
#include "terrain/SeaLevel.h"

namespace morvik {

namespace {

// The heights above the lowest, as floating point.
LandSurface SurfaceOf(const CellGrid& heights, MapSize size, int32_t lowest, int32_t threads) {
    LandSurface land(size);
    ForEachBand(size.Width(), threads, [&](int32_t, int32_t first, int32_t end) {
        for (int32_t x = first; x < end; ++x) {
            const int32_t* column = heights.Column(x);
            for (int32_t y = 0; y < size.Height(); ++y) {
                land.At(x, y) = static_cast<float>(int64_t{column[y]} - lowest);
            }
        }
    });
    return land;
}

}  // namespace

void ErodeLand(CellGrid& heights, MapSize size, int32_t seaTarget, ErosionSettings settings) {
    const HeightExtremes extremes = FindExtremes(heights, size, settings.threads);
    settings.seaLevel = static_cast<float>(
        int64_t{HighestSea(heights, size, seaTarget, settings.threads)} - extremes.lowest + 0.5);
    ZeroedVector<uint16_t> worn;
    {
        LandSurface land = SurfaceOf(heights, size, extremes.lowest, settings.threads);
        Erode(land, settings);
        worn = WholeLevelsOf(land, kDrainableTop, settings.threads).levels;
    }
    // Lifting land can lift the highest height, and so move the finish's sea
    // down; then the drainage starts again from the worn land with the lower
    // sea, until the sea it drained to is the finish's own.
    WriteLevels(worn, heights, size);
    int32_t seaTop = HighestSea(heights, size, seaTarget, settings.threads);
    for (;;) {
        DrainToSea(heights, size, seaTop, settings.wrap);
        const int32_t sea = HighestSea(heights, size, seaTarget, settings.threads);
        if (sea >= seaTop) return;
        seaTop = sea;
        WriteLevels(worn, heights, size);
    }
}

}  // namespace morvik
