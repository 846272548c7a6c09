#include "terrain/Terrain.h"

#include "terrain/ErodedLand.h"

namespace morvik {

void Terrain::RunGeneration(MapSize size, int32_t roughness, int32_t seaShare,
                            const RunReports& reports,
                            const std::optional<ErosionSettings>& erosion, Wrap wrap) {
    StartGeneration(size, roughness, seaShare, size.Width(), size.Height(), wrap);
    CompleteIterations(size, reports.iterations);
    if (erosion) {
        ErosionSettings settings = *erosion;
        settings.wrap = wrap;
        ErodeLand(heightField_.Cells(), size, job_.SeaTarget, settings);
    }
    if (reports.beforeFinish) reports.beforeFinish(heightField_.Cells());
    FinishGeneration(size, reports.seaCells);
}

}  // namespace morvik
