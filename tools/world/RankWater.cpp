#include "tools/world/RankWater.h"

#include <algorithm>
#include <bit>

#include "layers/WaterCells.h"
#include "world/PartWindows.h"
#include "world/WorldWater.h"

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

// Row by row, as layers lie.
template <typename Value, typename Cells>
ZeroedVector<Value> InRows(const Cells& columns, MapSize size) {
    ZeroedVector<Value> rows(static_cast<std::size_t>(size.Cells()));
    for (int32_t x = 0; x < size.Width(); ++x) {
        for (int32_t y = 0; y < size.Height(); ++y) {
            rows[static_cast<std::size_t>(y) * size.Width() + x] =
                columns[static_cast<std::size_t>(x) * size.Height() + y];
        }
    }
    return rows;
}

}  // namespace

bool ShowsWater(const BatchOptions& options) {
    const std::vector<BatchOptions::LayerOutput> layers = options.LayerOutputs();
    return options.rivers ||
           std::any_of(layers.begin(), layers.end(), [](const BatchOptions::LayerOutput& layer) {
               return layer.kind.NeedsWater();
           });
}

int32_t WaterRing(WorldSize world) { return std::max(2, RiverReach(world) + 1); }

RankWater TraceRankWater(const BatchOptions& options, const RankGroup& ranks,
                         const RankShare& share, const WorldNumbers& numbers) {
    const WorldSize world = options.run.World();
    const PartGrid grid = TilesParts(options);
    std::vector<int32_t> owners(static_cast<std::size_t>(grid.Across() * grid.Down()));
    for (std::size_t part = 0; part < owners.size(); ++part) {
        owners[part] = static_cast<int32_t>(part % static_cast<std::size_t>(ranks.Ranks()));
    }
    const PartWindows parts(world, options.run.wrap, WaterRing(world), grid, owners, ranks);
    std::vector<std::vector<int32_t>> heights;
    for (std::size_t i = 0; i < parts.Windows().size(); ++i) {
        const PartWindow& window = parts.Windows()[i];
        const CellGrid& tile = share.Heights(i);
        std::vector<int32_t>& cells = heights.emplace_back(window.size.Cells(), 0);
        for (int32_t x = 0; x < window.region.size.Width(); ++x) {
            std::copy_n(tile.Column(x), window.region.size.Height(),
                        &cells[window.Index(window.left + x, window.above)]);
        }
    }
    parts.Exchange(heights, ranks);
    std::vector<std::vector<uint16_t>> values;
    for (const std::vector<int32_t>& window : heights) {
        std::vector<uint16_t>& cells = values.emplace_back(window.size());
        std::transform(window.begin(), window.end(), cells.begin(),
                       [&](int32_t height) { return numbers.values.Of(height); });
    }
    std::vector<uint8_t> occurs(65536, 0);
    for (const int32_t value : numbers.values.values) {
        if (value >= 0) occurs[static_cast<std::size_t>(value)] = 1;
    }
    std::vector<WindowWater> water =
        TraceWorldWater(parts, values, WaterLevels(occurs, numbers.values.seaLevel), ranks);
    RankWater traced;
    for (std::size_t i = 0; i < water.size(); ++i) {
        const PartWindow& window = parts.Windows()[i];
        CellGrid grid(window.size);
        std::copy(heights[i].begin(), heights[i].end(), grid.Column(0));
        std::vector<int32_t>().swap(heights[i]);
        std::vector<uint16_t>().swap(values[i]);
        LandLayers& layers = traced.layers.emplace_back(LandLayers{
            .heightmap = HeightmapOf(grid, window.size, numbers.values),
            .wrap = Wrap::kNone,
            .heights = FineHeightsOf(grid, window.size, numbers.seaTop, numbers.values, {}),
            .flow = InRows<float>(water[i].flow, window.size),
            .lakes = InRows<uint8_t>(water[i].lakes, window.size)});
        if (options.rivers || !options.masks.empty()) {
            traced.water.push_back(WaterCells(layers, world));
        }
        traced.regions.push_back({window.left, window.above, share.tiles[i]->size});
        traced.mostFlow = std::max(traced.mostFlow, water[i].mostFlow);
        water[i] = {};
    }
    // Flows are positive, and positive floats order as their bits do.
    int64_t most = std::bit_cast<int32_t>(traced.mostFlow);
    ranks.Most(std::span(&most, 1));
    traced.mostFlow = std::bit_cast<float>(static_cast<int32_t>(most));
    return traced;
}

}  // namespace morvik
