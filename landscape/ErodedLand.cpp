#include "landscape/ErodedLand.h"

#include "landscape/Drainage.h"
#include "landscape/LandscapeEvolution.h"
#include "landscape/RankedSea.h"

namespace morvik {

int32_t ErodeLand(CellGrid& heights, MapSize size, int32_t seaTarget,
                  const ErosionSettings& settings) {
    const int32_t threads = settings.threads;
    int32_t seaTop = 0;
    {
        const RankedSurface ranked = RankSea(heights, size, seaTarget, settings.wrap, threads);
        seaTop = WriteWholeLevels(ranked.land, ranked.seaLevel, kDrainableTop, heights, threads);
    }
    // The circles' hollows filled with the least lift that lets their water
    // out, which the model then wears into valleys.
    DrainToSea(heights, size, seaTop, settings.wrap);
    LandSurface land = SurfaceOfLevels(heights, size, threads);
    const float seaLevel = SeaLevelAbove(seaTop);
    EvolveLandscape(land, seaLevel, settings);
    seaTop = WriteWholeLevels(land, seaLevel, kDrainableTop, heights, threads);
    // The model keeps every way down a level deep or more; a hollow it was
    // handed without one drains all the same.
    if (!Drains(heights, size, seaTop, settings.wrap, threads)) {
        DrainToSea(heights, size, seaTop, settings.wrap);
    }
    return seaTop;
}

}  // namespace morvik
