#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "terrain/CellGrid.h"
#include "tools/BatchOptions.h"
#include "tools/OutputSet.h"
#include "tools/Tiles.h"
#include "tools/world/RankGroup.h"
#include "world/GrownRegion.h"

namespace morvik {

// The file a tile of an output named `name` goes to: the name itself, for a
// world in one piece.
std::string TileFile(const BatchOptions& options, const std::string& name, const Tile& tile);

// Whether the files look at a cell's neighbours: the normals, the slopes
// the masks and splat weights take, and the coastline.
bool LooksAround(const BatchOptions& options);

// The part of a tile no other tile holds: all but the edges it shares with
// the next tile across and the next down.
MapSize OwnedPart(const Tile& tile, const BatchOptions& options);

// A rank's share of the world: its tiles (ranks take them in turn), their
// files, and their heights, each tile's grown by the cells around it where
// its files look at them.
struct RankShare {
    std::vector<const Tile*> tiles;
    std::vector<std::vector<OutputFile*>> layers;  // each layer output's, a file a tile
    std::vector<OutputFile*> maps;
    OutputFile* mosaic = nullptr;
    OutputFile* json = nullptr;
    OutputFile* readme = nullptr;    // a pack's
    std::vector<GrownRegion> grown;  // each tile's, grown or alone
    std::vector<CellGrid> heights;   // each tile's, then the rest of its grown region's
    std::vector<std::size_t> firstPart;

    const CellGrid& Heights(std::size_t tile) const { return heights[firstPart[tile]]; }
    CellGrid GrownHeights(std::size_t tile) const {
        return grown[tile].Heights(
            std::span(heights).subspan(firstPart[tile], grown[tile].Parts().size()));
    }
};

// Every file of the rank's share is opened before the work, so one that
// cannot be written is known at once.
void OpenFiles(const BatchOptions& options, const RankGroup& ranks, OutputSet& files,
               RankShare& share);

// The heights of the rank's tiles, and of the cells around them where the
// files look, in one pass over the circles.
void MakeHeights(const BatchOptions& options, RankShare& share);

}  // namespace morvik
