#include <algorithm>

#include "terrain/Terrain.h"

namespace morvik {

void Terrain::RenderCoastline(const PixelView& map) {
    RequireHeld(map.Size());
    const int32_t width = map.Size().Width();
    const int32_t height = map.Size().Height();
    const CellGrid& heights = heightField_.Cells();
    if (!scratchField_) scratchField_.emplace(MapSize(heights.Columns(), heights.Rows()));
    CellGrid& scratch = *scratchField_;
    for (int32_t x = 0; x < width; ++x) std::copy_n(heights.Column(x), height, scratch.Column(x));

    // The flags are computed from the copy straight into the pixels, so the
    // heights are never overwritten and need no restoring. A neighbour beyond
    // the edge is the cell itself: the border does not count as sea.
    const auto land = [&scratch](int32_t x, int32_t y) { return scratch.At(x, y) >= 1; };
    for (int32_t y = 0; y < height; ++y) {
        const int32_t above = std::max(y - 1, 0);
        const int32_t below = std::min(y + 1, height - 1);
        uint32_t* row = map.Row(y);
        for (int32_t x = 0; x < width; ++x) {
            const int32_t left = std::max(x - 1, 0);
            const int32_t right = std::min(x + 1, width - 1);
            const bool coast = land(x, y) && (!land(x, above) || !land(left, y) ||
                                              !land(right, y) || !land(x, below));
            row[x] = map.Pixel(coast ? 0x000000 : 0xFFFFFF);
        }
    }
}

}  // namespace morvik
