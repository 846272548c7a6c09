#pragma once

#include <cstddef>
#include <cstdint>

#include "terrain/CellGrid.h"
#include "terrain/MapSize.h"
#include "terrain/ZeroedVector.h"

namespace morvik {

// Heights as floating point, column by column like the generator's cells.
struct LandSurface {
    explicit LandSurface(MapSize size)
        : size(size), heights(static_cast<std::size_t>(size.Cells())) {}

    float* Column(int32_t x) { return &heights[static_cast<std::size_t>(x) * size.Height()]; }
    const float* Column(int32_t x) const {
        return &heights[static_cast<std::size_t>(x) * size.Height()];
    }
    float& At(int32_t x, int32_t y) { return Column(x)[y]; }
    float At(int32_t x, int32_t y) const { return Column(x)[y]; }

    MapSize size;
    ZeroedVector<float> heights;
};

// A surface as whole heights, 0 for its lowest cell and `top` for its
// highest, spread evenly between (all 0 on a flat surface).
struct WholeLevels {
    ZeroedVector<uint16_t> levels;  // cell by cell as the surface's
    float bottom;                   // the height of level 0
    double step;                    // and of one level
};
WholeLevels WholeLevelsOf(const LandSurface& land, uint16_t top, int32_t threads);

// Levels kept cell by cell as a surface of this size keeps them, into the
// corner of a grid.
void WriteLevels(const ZeroedVector<uint16_t>& levels, CellGrid& cells, MapSize size);

}  // namespace morvik
