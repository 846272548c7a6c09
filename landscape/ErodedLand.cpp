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
    // The circles' hollows keep their floors and get a way out cut through
    // their rims, which the model then wears into valleys: filled, they
    // would leave flats crossed by the flood's straight lines.
    DrainToSea(heights, size, seaTop, settings.wrap, Hollows::kBreach, threads);
    LandSurface land = SurfaceOfLevels(heights, size, threads);
    const float seaLevel = SeaLevelAbove(seaTop);
    EvolveLandscape(land, seaLevel, settings);
    seaTop = WriteWholeLevels(land, seaLevel, kDrainableTop, heights, threads);
    // The model keeps every way down a level deep or more; a hollow it was
    // handed without one drains all the same.
    if (!Drains(heights, size, seaTop, settings.wrap, threads)) {
        DrainToSea(heights, size, seaTop, settings.wrap, Hollows::kFill, threads);
    }
    return seaTop;
}

}  // namespace morvik
