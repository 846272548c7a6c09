#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "layers/LandLayers.h"
#include "layers/WaterLevels.h"
#include "terrain/SeaLevel.h"
#include "tests/world/WorldTestSupport.h"
#include "world/PartWindows.h"
#include "world/WorldWater.h"

namespace morvik {
namespace {

// A whole map's layers with their water traced.
LandLayers TracedLayers(const RunSettings& settings) {
    const MapSize size = settings.Size();
    const CellGrid heights = WholeRunHeights(settings);
    const int32_t seaTop = HighestSea(heights, size, settings.seaShare * 100);
    LandLayers layers = MakeLandLayers(heights, size, seaTop, settings.wrap, nullptr, 1);
    TraceWater(layers, 1);
    return layers;
}

// A world cut into parts, each its own window, traces the same water as
// the whole map, every window cell, ring included.
TEST(WorldWater, IsTheWholeMapsCellForCell) {
    const std::vector<WorldCut> cuts{{97, 61, {0, 30, 31, 70, 97}, {0, 20, 61}},
                                     {64, 48, {0, 64}, {0, 48}},
                                     {9, 7, {0, 2, 4, 7, 9}, {0, 3, 4, 7}}};
    for (const Wrap wrap : {Wrap::kNone, Wrap::kX, Wrap::kXY}) {
        for (const WorldCut& cut : cuts) {
            for (const uint32_t tick : {77U, 40321U}) {
                const RunSettings settings{.width = cut.width,
                                           .height = cut.height,
                                           .roughness = 2,
                                           .seaShare = 4,
                                           .tick = tick,
                                           .wrap = wrap};
                const LandLayers whole = TracedLayers(settings);
                const LoneRank alone;
                const PartWindows parts = cut.Windows(wrap, 2, alone);
                const auto worldIndex = [&](const PartWindow& window, int32_t x, int32_t y) {
                    const auto [column, row] = WorldCell(parts, window, x, y);
                    return whole.Index(column, row);
                };
                // Each window knows its own part; the exchange brings the ring.
                std::vector<std::vector<uint16_t>> values;
                for (const PartWindow& window : parts.Windows()) {
                    std::vector<uint16_t>& cells = values.emplace_back(window.size.Cells(), 0);
                    for (int32_t x = 0; x < window.size.Width(); ++x) {
                        for (int32_t y = 0; y < window.size.Height(); ++y) {
                            if (window.Owns(x, y)) {
                                cells[window.Index(x, y)] =
                                    whole.heightmap.values[worldIndex(window, x, y)];
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
                            const std::size_t at = worldIndex(window, x, y);
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
