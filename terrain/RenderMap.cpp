#include <algorithm>

#include "terrain/Terrain.h"

namespace morvik {

HeightExtremes Terrain::RenderMap(const PixelView& map) {
    RequireHeld(map.Size());
    const CellGrid& heights = heightField_.Cells();
    HeightExtremes extremes{.Highest = -50000, .Lowest = 50000};
    for (int32_t y = 0; y < map.Size().Height(); ++y) {
        uint32_t* row = map.Row(y);
        for (int32_t x = 0; x < map.Size().Width(); ++x) {
            const int32_t height = heights.At(x, y);
            extremes.Highest = std::max(extremes.Highest, height);
            extremes.Lowest = std::min(extremes.Lowest, height);
            row[x] = map.Pixel(colourTable_.Colour(height));
        }
    }
    return extremes;
}

}  // namespace morvik
