#include "tools/world/RankShare.h"

#include <algorithm>

#include "tools/OutputFiles.h"
#include "tools/world/WorldMosaic.h"
#include "world/WorldTile.h"

namespace morvik {

bool LooksAround(const BatchOptions& options) {
    const std::vector<BatchOptions::LayerOutput> layers = options.LayerOutputs();
    return (!options.output.empty() && options.view == MapView::kCoastline) ||
           std::any_of(layers.begin(), layers.end(), [](const BatchOptions::LayerOutput& layer) {
               return layer.kind.of == LayerKind::kNormal || layer.kind.of == LayerKind::kMask ||
                      layer.kind.of == LayerKind::kSplat;
           });
}

std::string TileFile(const BatchOptions& options, const std::string& name, const Tile& tile) {
    return options.tiles ? TileName(name, tile) : name;
}

MapSize OwnedPart(const Tile& tile, const BatchOptions& options) {
    const TileGrid grid = options.tiles.value_or(TileGrid{});
    return MapSize(tile.size.Width() - (tile.column + 1 < grid.across ? 1 : 0),
                   tile.size.Height() - (tile.row + 1 < grid.down ? 1 : 0));
}

void OpenFiles(const BatchOptions& options, const RankGroup& ranks, OutputSet& files,
               RankShare& share) {
    for (const BatchOptions::LayerOutput& layer : options.LayerOutputs()) {
        std::vector<OutputFile*>& opened = share.layers.emplace_back();
        for (const Tile* tile : share.tiles) {
            opened.push_back(&files.Open(TileFile(options, layer.name, *tile)));
        }
    }
    for (const Tile* tile : share.tiles) {
        if (!options.output.empty()) {
            share.maps.push_back(&files.Open(TileFile(options, options.output, *tile)));
        }
    }
    // GDAL reads PNG tiles; raw ones carry no size for it to place them by.
    if (ranks.Rank() == 0 && options.tiles && IsPngName(options.heightmap)) {
        share.mosaic = &files.Open(MosaicName(options.heightmap));
    }
    if (ranks.Rank() == 0 && !options.json.empty()) share.json = &files.Open(options.json);
    if (ranks.Rank() == 0 && options.preset) {
        share.readme = &files.Open(PackFileName(options.pack, "README.txt"));
    }
}

void MakeHeights(const BatchOptions& options, RankShare& share) {
    const RunSettings& settings = options.run;
    std::vector<WorldRegion> regions;
    for (const Tile* tile : share.tiles) {
        const WorldRegion region{tile->left, tile->top, tile->size};
        share.firstPart.push_back(regions.size());
        const GrownRegion& grown =
            LooksAround(options) ? share.grown.emplace_back(settings.World(), region, settings.wrap)
                                 : share.grown.emplace_back(region);
        // Eroded land comes to the cells around a tile from the ranks that
        // own them.
        if (settings.erosion) {
            regions.push_back(region);
        } else {
            regions.insert(regions.end(), grown.Parts().begin(), grown.Parts().end());
        }
    }
    share.heights = RegionHeights(settings, regions);
}

}  // namespace morvik
