#include "terrain/Terrain.h"

namespace morvik {

void Terrain::RunGeneration(MapSize size, int32_t roughness, int32_t seaShare,
                            const SeaCellsReport& report, const HeightsReport& beforeFinish) {
    StartGeneration(size, roughness, seaShare, size.Width(), size.Height());
    CompleteIterations(size);
    if (beforeFinish) beforeFinish(heightField_.Cells());
    FinishGeneration(size, report);
}

}  // namespace morvik
