#include "tools/world/RankLand.h"

#include <algorithm>

#include "layers/WaterCells.h"
#include "world/WorldErosion.h"

namespace morvik {

namespace {

// The parts the tiles own, each all of its tile but the edges it shares.
PartGrid TilesParts(const BatchOptions& options) {
    const WorldSize world = options.run.World();
    const std::vector<Tile> tiles =
        options.tiles ? TilesOf(world, *options.tiles)
                      : std::vector<Tile>{{0, 0, 0, 0, MapSize(world.Width(), world.Height())}};
    PartGrid grid;
    for (const Tile& tile : tiles) {
        if (tile.row == 0) grid.columns.push_back(tile.left);
        if (tile.column == 0) grid.rows.push_back(tile.top);
    }
    grid.columns.push_back(world.Width());
    grid.rows.push_back(world.Height());
    return grid;
}

// Whether the files take more than the heightmap of eroded land.
bool NeedsTraces(const BatchOptions& options) {
    const std::vector<BatchOptions::LayerOutput> layers = options.LayerOutputs();
    return std::any_of(
               layers.begin(), layers.end(),
               [](const BatchOptions::LayerOutput& layer) { return layer.kind.NeedsLayers(); }) ||
           options.rivers;
}

}  // namespace

bool ShowsWater(const BatchOptions& options) {
    const std::vector<BatchOptions::LayerOutput> layers = options.LayerOutputs();
    return options.rivers ||
           std::any_of(layers.begin(), layers.end(), [](const BatchOptions::LayerOutput& layer) {
               return layer.kind.NeedsWater();
           });
}

bool HoldsWindows(const BatchOptions& options) {
    return options.run.erosion || ShowsWater(options);
}

ErosionSettings WorldErosion(const BatchOptions& options) {
    return {.amount = options.run.erosion.value_or(kDefaultErosion), .wrap = options.run.wrap};
}

int32_t WindowRing(const BatchOptions& options) {
    // The flow's receivers of the ring's inner cells need their own
    // neighbours.
    int32_t ring = 2;
    if (ShowsWater(options)) ring = std::max(ring, RiverReach(options.run.World()) + 1);
    if (options.run.erosion) ring = std::max(ring, ErosionRing(WorldErosion(options)));
    return ring;
}

RankLand MakeRankLand(const BatchOptions& options, const RankGroup& ranks, const RankShare& share) {
    const PartGrid grid = TilesParts(options);
    std::vector<int32_t> owners(static_cast<std::size_t>(grid.Across() * grid.Down()));
    for (std::size_t part = 0; part < owners.size(); ++part) {
        owners[part] = static_cast<int32_t>(part % static_cast<std::size_t>(ranks.Ranks()));
    }
    RankLand land;
    const PartWindows& parts = land.parts.emplace(options.run.World(), options.run.wrap,
                                                  WindowRing(options), grid, owners, ranks);
    for (std::size_t i = 0; i < parts.Windows().size(); ++i) {
        const PartWindow& window = parts.Windows()[i];
        const CellGrid& tile = share.Heights(i);
        CellGrid& cells = land.heights.emplace_back(window.size);
        for (int32_t x = 0; x < window.region.size.Width(); ++x) {
            std::copy_n(tile.Column(x), window.region.size.Height(),
                        &cells[window.Index(window.left + x, window.above)]);
        }
    }
    if (!options.run.erosion) {
        parts.Exchange(land.heights, ranks);
        return land;
    }
    if (NeedsTraces(options)) {
        for (const PartWindow& window : parts.Windows()) land.traces.emplace_back(window.size);
    }
    land.seaTop = ErodeWorld(parts, land.heights, options.run.seaShare * 100, WorldErosion(options),
                             land.traces.empty() ? nullptr : &land.traces, ranks);
    return land;
}

}  // namespace morvik
