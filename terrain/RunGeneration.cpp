#include "terrain/Terrain.h"

namespace morvik {

void Terrain::RunGeneration(MapSize size, int32_t roughness, int32_t seaShare,
                            const RunReports& reports) {
    StartGeneration(size, roughness, seaShare, size.Width(), size.Height());
    CompleteIterations(size, reports.iterations);
    if (reports.beforeFinish) reports.beforeFinish(heightField_.Cells());
    FinishGeneration(size, reports.seaCells);
}

}  // namespace morvik
