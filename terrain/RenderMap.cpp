#include <vector>

#include "terrain/ParallelFor.h"

#include "terrain/Terrain.h"

namespace morvik {

HeightExtremes Terrain::RenderMap(const PixelView& map) {
    RequireHeld(map.Size());
    const CellGrid& heights = heightField_.Cells();
    const MapSize size = map.Size();
    // A band of columns at a time: the cells lie column by column, the
    // pixels row by row.
    std::vector<HeightExtremes> bands(BandsOf(size.Width()), {.highest = -50000, .lowest = 50000});
    ForEachBand(size.Width(), threads_, [&](int32_t band, int32_t first, int32_t end) {
        for (int32_t y = 0; y < size.Height(); ++y) {
            uint32_t* row = map.Row(y);
            for (int32_t x = first; x < end; ++x) {
                const int32_t height = heights.At(x, y);
                bands[band] = Widened(bands[band], height, height);
                row[x] = map.Pixel(colourTable_.Colour(height));
            }
        }
    });
    return Widest(bands);
}

}  // namespace morvik
