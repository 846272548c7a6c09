#include "landscape/LateralErosion.h"

#include <algorithm>

#include "terrain/ParallelFor.h"

namespace morvik {

void WidenValleyFloors(LandSurface& land, const ZeroedVector<float>& area, float seaLevel,
                       const ValleyFloors& floors, const ReceiverTree& tree,
                       ZeroedVector<float>& sediment, int32_t threads) {
    float* heights = land.heights.data();
    ForEachCell(land.size.Width(), land.size.Height(), threads, [&](int32_t cell) {
        const float height = heights[cell];
        if (height < seaLevel || area[cell] >= floors.riverArea || tree.IsRoot(cell)) return;
        const int32_t river = tree.Receiver(cell);
        if (area[river] < floors.riverArea) return;
        const float floor = std::max(heights[river], seaLevel) + floors.floorRise;
        if (height <= floor) return;
        const float worn = floors.share * (height - floor);
        heights[cell] = height - worn;
        sediment[cell] += worn;
    });
}

}  // namespace morvik
