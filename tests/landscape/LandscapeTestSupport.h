#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "terrain/CellGrid.h"
#include "terrain/MapSize.h"
#include "terrain/Terrain.h"
#include "terrain/TickSource.h"
#include "terrain/Wrap.h"

namespace morvik {

// Whether every cell above seaTop, away from an edge that does not wrap, has
// a strictly lower neighbour of its eight (across a wrapped edge, at the
// other edge); names the first that has none.
inline testing::AssertionResult EveryLandCellDrains(const CellGrid& heights, MapSize size,
                                                    int32_t seaTop, Wrap wrap = Wrap::kNone) {
    const int32_t width = size.Width();
    const int32_t rows = size.Height();
    const int32_t inX = WrapsColumns(wrap) ? 0 : 1;
    const int32_t inY = WrapsRows(wrap) ? 0 : 1;
    for (int32_t x = inX; x + inX < width; ++x) {
        for (int32_t y = inY; y + inY < rows; ++y) {
            const int32_t height = heights.At(x, y);
            if (height <= seaTop) continue;
            bool lower = false;
            for (int32_t dx = -1; dx <= 1; ++dx) {
                for (int32_t dy = -1; dy <= 1; ++dy) {
                    lower |= heights.At((x + dx + width) % width, (y + dy + rows) % rows) < height;
                }
            }
            if (!lower) {
                return testing::AssertionFailure()
                       << "land at (" << x << ", " << y << ") of " << width << " x " << rows
                       << " has no way down from " << height;
            }
        }
    }
    return testing::AssertionSuccess();
}

// A whole run's heights before its finish.
inline CellGrid CircleHeights(MapSize size, int32_t roughness, int32_t seaShare, uint32_t tick,
                              Wrap wrap = Wrap::kNone) {
    FixedTickSource ticks(tick);
    auto terrain = std::make_unique<Terrain>(ticks, size);
    terrain->StartGeneration(size, roughness, seaShare, size.Width(), size.Height(), wrap);
    terrain->CompleteIterations(size);
    return terrain->Heights();
}

}  // namespace morvik
