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

// The lowest and highest height of a surface.
struct SurfaceExtremes {
    float lowest;
    float highest;
};
SurfaceExtremes ExtremesOf(const LandSurface& land, int32_t threads);

// The height of one whole level when the surface becomes levels 0..top.
double LevelStep(SurfaceExtremes extremes, int32_t top);

// A surface as whole levels 0..top in the corner of a grid, evenly spaced,
// its lowest cell 0 and none above top, parted at its sea level: every cell
// below seaLevel gets a level at most the one returned, every other cell a
// higher one. Cells one level's height apart or more keep their order.
int32_t WriteWholeLevels(const LandSurface& land, float seaLevel, int32_t top, CellGrid& cells,
                         int32_t threads);
// The same for a surface that is part of a world with these extremes.
int32_t WriteWholeLevels(const LandSurface& land, float seaLevel, int32_t top,
                         SurfaceExtremes extremes, CellGrid& cells, int32_t threads);

// The levels of a grid's corner as a surface, and the sea level that parts
// them where seaTop does.
LandSurface SurfaceOfLevels(const CellGrid& cells, MapSize size, int32_t threads);
inline float SeaLevelAbove(int32_t seaTop) { return static_cast<float>(seaTop) + 0.5F; }

}  // namespace morvik
