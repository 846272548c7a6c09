#include <array>
#include <vector>

#include "terrain/ParallelFor.h"

#include "terrain/Terrain.h"

namespace morvik {

HeightExtremes Terrain::RenderMap(const PixelView& map) {
    RequireHeld(map.Size());
    const CellGrid& heights = heightField_.Cells();
    const MapSize size = map.Size();
    // Each slot's pixel as the view wants it, looked up once.
    std::array<uint32_t, ColourTable::kSlots> pixels;
    for (int32_t height = ColourTable::kLowestHeight; height <= ColourTable::kHighestHeight;
         ++height) {
        pixels[ColourTable::SlotOf(height)] = map.Pixel(colourTable_.Colour(height));
    }
    // A band of columns at a time: the cells lie column by column, the
    // pixels row by row.
    std::vector<HeightExtremes> bands(BandsOf(size.Width()));
    ForEachBand(size.Width(), threads_, [&](int32_t band, int32_t first, int32_t end) {
        int32_t highest = -50000;
        int32_t lowest = 50000;
        for (int32_t y = 0; y < size.Height(); ++y) {
            uint32_t* row = map.Row(y);
            for (int32_t x = first; x < end; ++x) {
                const int32_t height = heights.At(x, y);
                highest = std::max(highest, height);
                lowest = std::min(lowest, height);
                row[x] = pixels[ColourTable::SlotOf(height)];
            }
        }
        bands[band] = {.highest = highest, .lowest = lowest};
    });
    return Widest(bands);
}

}  // namespace morvik
