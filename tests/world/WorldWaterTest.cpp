#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <tuple>
#include <vector>

#include "layers/LandLayers.h"
#include "layers/WaterLevels.h"
#include "terrain/SeaLevel.h"
#include "terrain/Terrain.h"
#include "terrain/TickSource.h"
#include "world/PartWindows.h"
#include "world/WorldWater.h"

namespace morvik {
namespace {

// A whole map's layers with their water traced.
LandLayers TracedLayers(const RunSettings& settings) {
    FixedTickSource ticks(settings.tick);
    const MapSize size = settings.Size();
    auto terrain = std::make_unique<Terrain>(ticks, size, 2);
    terrain->StartGeneration(size, settings.roughness, settings.seaShare, settings.width,
                             settings.height, settings.wrap);
    terrain->CompleteIterations(size);
    const CellGrid& heights = terrain->Heights();
    const int32_t seaTop = HighestSea(heights, size, settings.seaShare * 100);
    LandLayers layers = MakeLandLayers(heights, size, seaTop, settings.wrap, nullptr, 1);
    TraceWater(layers, 1);
    return layers;
}

// The world cell a window's cell is.
std::size_t WorldIndex(const LandLayers& layers, const PartWindow& window, int32_t x, int32_t y) {
    const int32_t width = layers.Size().Width();
    const int32_t height = layers.Size().Height();
    const int32_t column = ((window.region.left + x - window.left) % width + width) % width;
    const int32_t row = ((window.region.top + y - window.above) % height + height) % height;
    return layers.Index(column, row);
}

// A world cut into parts, each its own window, traces the same water as
// the whole map, every window cell, ring included: cut evenly, unevenly,
// into parts narrower than the ring (which then reaches past the next
// part), and as one part whose ring is its own other edge.
TEST(WorldWater, IsTheWholeMapsCellForCell) {
    struct Case {
        int32_t width;
        int32_t height;
        std::vector<int32_t> columns;
        std::vector<int32_t> rows;
    };
    const std::vector<Case> cases{{97, 61, {0, 30, 31, 70, 97}, {0, 20, 61}},
                                  {64, 48, {0, 64}, {0, 48}},
                                  {9, 7, {0, 2, 4, 7, 9}, {0, 3, 4, 7}}};
    for (const Wrap wrap : {Wrap::kNone, Wrap::kX, Wrap::kXY}) {
        for (const Case& cut : cases) {
            for (const uint32_t tick : {77U, 40321U}) {
                const RunSettings settings{.width = cut.width,
                                           .height = cut.height,
                                           .roughness = 2,
                                           .seaShare = 4,
                                           .tick = tick,
                                           .wrap = wrap};
                const LandLayers whole = TracedLayers(settings);
                const PartGrid grid{cut.columns, cut.rows};
                const LoneRank alone;
                const PartWindows parts(
                    settings.World(), wrap, 2, grid,
                    std::vector<int32_t>(grid.columns.size() * grid.rows.size()), alone);
                // Each window knows its own part; the exchange brings the ring.
                std::vector<std::vector<uint16_t>> values;
                for (const PartWindow& window : parts.Windows()) {
                    std::vector<uint16_t>& cells = values.emplace_back(window.size.Cells(), 0);
                    for (int32_t x = 0; x < window.size.Width(); ++x) {
                        for (int32_t y = 0; y < window.size.Height(); ++y) {
                            if (window.Owns(x, y)) {
                                cells[window.Index(x, y)] =
                                    whole.heightmap.values[WorldIndex(whole, window, x, y)];
                            }
                        }
                    }
                }
                parts.Exchange(values, alone);
                const WaterLevels levels(OccurringValues(whole.heightmap.values),
                                         whole.heightmap.seaLevel);
                const std::vector<WindowWater> water =
                    TraceWorldWater(parts, values, levels, alone);
                ASSERT_EQ(water.size(), parts.Windows().size());
                for (std::size_t i = 0; i < water.size(); ++i) {
                    const PartWindow& window = parts.Windows()[i];
                    for (int32_t x = 0; x < window.size.Width(); ++x) {
                        for (int32_t y = 0; y < window.size.Height(); ++y) {
                            const std::size_t at = WorldIndex(whole, window, x, y);
                            const std::size_t cell = window.Index(x, y);
                            ASSERT_EQ(values[i][cell], whole.heightmap.values[at]);
                            ASSERT_EQ(water[i].flow[cell], whole.flow[at])
                                << cut.width << " x " << cut.height << ", wrap "
                                << static_cast<int>(wrap) << ", tick " << tick << ", part "
                                << window.part << ": cell " << x << ", " << y;
                            ASSERT_EQ(water[i].lakes[cell], whole.lakes[at]);
                        }
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace morvik
