#include "landscape/ErodedLand.h"

#include "landscape/Drainage.h"
#include "landscape/LandscapeEvolution.h"
#include "landscape/RankedSea.h"
#include "terrain/ParallelFor.h"

namespace morvik {

namespace {

// The surface's heights, and the traces' cut and fill, counted in the whole
// levels the surface became, its sea top's level ending at the sea level.
void MeasureInLevels(const LandSurface& land, float seaLevel, int32_t seaTop, ErosionTraces& traces,
                     int32_t threads) {
    const double step = LevelStep(ExtremesOf(land, threads), kDrainableTop);
    const double base = seaTop + 1;
    ForEachCell(land.size.Width(), land.size.Height(), threads, [&](int32_t cell) {
        traces.levels.heights[cell] =
            static_cast<float>(base + (land.heights[cell] - seaLevel) / step);
        traces.wear.heights[cell] = static_cast<float>(traces.wear.heights[cell] / step);
        traces.deposit.heights[cell] = static_cast<float>(traces.deposit.heights[cell] / step);
    });
}

}  // namespace

int32_t ErodeLand(CellGrid& heights, MapSize size, int32_t seaTarget,
                  const ErosionSettings& settings, ErosionTraces* traces) {
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
    EvolveLandscape(land, seaLevel, settings, traces);
    seaTop = WriteWholeLevels(land, seaLevel, kDrainableTop, heights, threads);
    if (traces) MeasureInLevels(land, seaLevel, seaTop, *traces, threads);
    // The model keeps every way down a level deep or more; a hollow it was
    // handed without one drains all the same.
    if (!Drains(heights, size, seaTop, settings.wrap, threads)) {
        DrainToSea(heights, size, seaTop, settings.wrap, Hollows::kFill, threads);
    }
    return seaTop;
}

}  // namespace morvik
