#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "run/TileGrid.h"
#include "terrain/MapSize.h"
#include "terrain/WorldSize.h"

namespace morvik {

struct Tile {
    int32_t column;  // i, counted across from 0
    int32_t row;     // j, counted down from 0
    int32_t left;
    int32_t top;
    MapSize size;
};

// Whether the sides split into equal tiles: (width - 1) into `across`
// parts and (height - 1) into `down`.
bool SplitsEvenly(WorldSize size, TileGrid grid);

// The sides nearest to `side`, below and above, that split into `parts`
// tiles of at least two cells (the lower is none, 0, when no side below
// does).
struct NearestSides {
    int32_t below;
    int32_t above;
};
NearestSides NearestSplittingSides(int32_t side, int32_t parts);

// Row of tiles by row, each from left to right; for a map that splits evenly.
std::vector<Tile> TilesOf(WorldSize size, TileGrid grid);

// BASE_x{column}_y{row}.EXT for a file named BASE.EXT (the ending is the
// last dot's, within the file's own name).
std::string TileName(const std::string& fileName, const Tile& tile);

}  // namespace morvik
