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
    // the edge is the cell itself: the border does not count as sea. Across
    // a wrapped edge it is the cell at the other edge.
    const auto land = [&scratch](int32_t x, int32_t y) { return scratch.At(x, y) >= 1; };
    const auto before = [](int32_t i, int32_t side, bool wraps) {
        return i > 0 ? i - 1 : (wraps ? side - 1 : 0);
    };
    const auto after = [](int32_t i, int32_t side, bool wraps) {
        return i < side - 1 ? i + 1 : (wraps ? 0 : side - 1);
    };
    const bool wrapsColumns = WrapsColumns(wrap_);
    const bool wrapsRows = WrapsRows(wrap_);
    for (int32_t y = 0; y < height; ++y) {
        const int32_t above = before(y, height, wrapsRows);
        const int32_t below = after(y, height, wrapsRows);
        uint32_t* row = map.Row(y);
        for (int32_t x = 0; x < width; ++x) {
            const int32_t left = before(x, width, wrapsColumns);
            const int32_t right = after(x, width, wrapsColumns);
            const bool coast = land(x, y) && (!land(x, above) || !land(left, y) ||
                                              !land(right, y) || !land(x, below));
            row[x] = map.Pixel(coast ? 0x000000 : 0xFFFFFF);
        }
    }
}

}  // namespace morvik
