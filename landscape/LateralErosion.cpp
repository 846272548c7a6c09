#include "landscape/LateralErosion.h"

#include <algorithm>
#include <limits>

#include "landscape/Neighbours.h"
#include "terrain/ParallelFor.h"

namespace morvik {

void WidenValleyFloors(LandSurface& land, const ZeroedVector<float>& area, float seaLevel,
                       const ValleyFloors& floors, Wrap wrap, ZeroedVector<float>& sediment,
                       int32_t threads) {
    const MapSize size = land.size;
    const int32_t rows = size.Height();
    const Neighbours neighbours(size, wrap);
    float* heights = land.heights.data();
    ForEachBand(size.Width(), threads, [&](int32_t, int32_t first, int32_t end) {
        for (int32_t x = first; x < end; ++x) {
            for (int32_t y = 0; y < rows; ++y) {
                const int32_t cell = x * rows + y;
                const float height = heights[cell];
                if (height < seaLevel || area[cell] >= floors.riverArea) continue;
                // Away from the edges a neighbour is a step along the column
                // and across; at them, the neighbours' rule.
                const bool inside = x > 0 && x + 1 < size.Width() && y > 0 && y + 1 < rows;
                float river = std::numeric_limits<float>::max();
                for (int32_t dx = -1; dx <= 1; ++dx) {
                    for (int32_t dy = -1; dy <= 1; ++dy) {
                        const int32_t neighbour =
                            inside ? cell + dx * rows + dy : neighbours.At(x, y, dx, dy);
                        if (neighbour >= 0 && area[neighbour] >= floors.riverArea) {
                            river = std::min(river, heights[neighbour]);
                        }
                    }
                }
                const float floor = std::max(river, seaLevel) + floors.floorRise;
                if (river == std::numeric_limits<float>::max() || height <= floor) continue;
                const float worn = floors.share * (height - floor);
                heights[cell] = height - worn;
                sediment[cell] += worn;
            }
        }
    });
}

}  // namespace morvik
