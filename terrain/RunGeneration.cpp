#include "terrain/SeaLevel.h"
#include "terrain/Terrain.h"

namespace morvik {

void Terrain::RunGeneration(MapSize size, int32_t roughness, int32_t seaShare,
                            const RunReports& reports, Wrap wrap, const LandShaper& shaper) {
    StartGeneration(size, roughness, seaShare, size.Width(), size.Height(), wrap);
    CompleteIterations(size, reports.iterations);
    CellGrid& heights = heightField_.Cells();
    if (!shaper) {
        if (reports.beforeFinish) {
            reports.beforeFinish(heights, HighestSea(heights, size, job_.SeaTarget, threads_));
        }
        FinishGeneration(size, reports.seaCells);
        return;
    }
    const int32_t seaTop = shaper(heights, job_.SeaTarget);
    if (reports.beforeFinish) reports.beforeFinish(heights, seaTop);
    FinishAtSea(size, seaTop, reports.seaCells);
}

}  // namespace morvik
