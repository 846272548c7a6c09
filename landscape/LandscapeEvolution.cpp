#include "landscape/LandscapeEvolution.h"

#include <algorithm>
#include <cmath>

#include "landscape/Drainage.h"
#include "landscape/DrainageArea.h"
#include "landscape/Hillslopes.h"
#include "landscape/LateralErosion.h"
#include "landscape/ReceiverTree.h"
#include "landscape/RockUplift.h"
#include "landscape/SedimentDeposition.h"
#include "landscape/StreamPowerIncision.h"
#include "terrain/ParallelFor.h"

namespace morvik {

void EvolveLandscape(LandSurface& land, float seaLevel, const ErosionSettings& settings,
                     ErosionTraces* traces) {
    const int32_t threads = settings.threads;
    const int32_t steps = settings.Steps();
    const float time = settings.StepTime();
    const RockUplift uplift(land, seaLevel, settings.uplift * settings.erodibility,
                            settings.lowlandUplift, settings.upliftReach, settings.wrap, threads);
    const AreaPower areaPower(settings.areaExponent);
    ReceiverTree tree(land.size, settings.wrap);
    ZeroedVector<float> area(land.heights.size());
    ZeroedVector<float> sediment(land.heights.size());
    const float talusSlope = settings.talusSlope *
                             std::max(ExtremesOf(land, threads).highest - seaLevel, 0.0F) /
                             static_cast<float>(std::max(land.size.Width(), land.size.Height()));
    for (int32_t step = 0; step < steps; ++step) {
        const SurfaceExtremes extremes = ExtremesOf(land, threads);
        const float leastDrop =
            settings.leastDrop * (extremes.highest - extremes.lowest) / kDrainableTop;
        tree.Route(land, seaLevel, static_cast<uint32_t>(step), threads);
        ShapeHillslopes(land, seaLevel,
                        {.spread = settings.diffusivity * time,
                         .talusSlope = talusSlope,
                         .talusPasses = settings.talusPasses},
                        settings.wrap, area, sediment, threads);
        AccumulateDrainageArea(tree, area, threads);
        IncideRivers(land, area, areaPower, uplift,
                     {.seaLevel = seaLevel,
                      .leastDrop = leastDrop,
                      .erodibility = settings.erodibility * time,
                      .channelArea = settings.channelArea,
                      .time = time},
                     tree, sediment, threads);
        WidenValleyFloors(land, area, seaLevel,
                          {.riverArea = settings.floorArea,
                           .share = std::min(1.0F, settings.lateralErosion * time),
                           .floorRise = settings.floorRise * leastDrop},
                          tree, sediment, threads);
        if (traces) {
            // What each cell lost this step is the sediment it starts with.
            ForEachCell(land.size.Width(), land.size.Height(), threads,
                        [&](int32_t cell) { traces->wear.heights[cell] += sediment[cell]; });
        }
        DepositSediment(land, area,
                        {.seaLevel = seaLevel,
                         .leastDrop = leastDrop,
                         .landShare = settings.deposition,
                         .channelArea = settings.channelArea,
                         .seaShare = settings.seaDeposition},
                        tree, sediment, threads, traces ? &traces->deposit.heights : nullptr);
        if (settings.progress) settings.progress(static_cast<double>(step + 1) / steps);
    }
}

}  // namespace morvik
