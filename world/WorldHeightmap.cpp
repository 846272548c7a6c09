#include "world/WorldHeightmap.h"

namespace morvik {

std::vector<uint8_t> OccurringHeights(const CellGrid& heights, MapSize size,
                                      HeightExtremes within) {
    std::vector<uint8_t> occurs(
        static_cast<std::size_t>(int64_t{within.highest} - within.lowest + 1), 0);
    for (int32_t x = 0; x < size.Width(); ++x) {
        const int32_t* column = heights.Column(x);
        for (int32_t y = 0; y < size.Height(); ++y) {
            occurs[static_cast<std::size_t>(int64_t{column[y]} - within.lowest)] = 1;
        }
    }
    return occurs;
}

int32_t WorldSeaTop(HeightExtremes extremes, const RescaledCounts& counts, MapSize worldSize,
                    int32_t seaTarget) {
    return HighestSeaOf(extremes, LoweringPasses(counts, worldSize, seaTarget));
}

Heightmap RegionHeightmap(const CellGrid& heights, MapSize size, const HeightValues& values) {
    Heightmap map{size, ZeroedVector<uint16_t>(static_cast<std::size_t>(size.Cells())),
                  values.seaLevel};
    for (int32_t y = 0; y < size.Height(); ++y) {
        uint16_t* row = &map.values[static_cast<std::size_t>(y) * size.Width()];
        for (int32_t x = 0; x < size.Width(); ++x) row[x] = values.Of(heights.At(x, y));
    }
    return map;
}

}  // namespace morvik
