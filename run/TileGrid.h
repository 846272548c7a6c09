#pragma once

#include <cstdint>

namespace morvik {

// A map cut into `across` x `down` tiles that share their edges, as terrain
// engines import them: each tile but the last of a row ends with the column
// that the next begins with, and the same down a column of tiles.
struct TileGrid {
    int32_t across = 1;
    int32_t down = 1;
};

}  // namespace morvik
