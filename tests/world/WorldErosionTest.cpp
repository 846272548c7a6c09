#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "landscape/ErodedLand.h"
#include "tests/world/WorldTestSupport.h"
#include "world/PartWindows.h"
#include "world/WorldErosion.h"

namespace morvik {
namespace {

// A world cut into parts erodes as the whole map does, every window cell,
// ring included, and its traces: plain, wrapped one way and both, cut
// evenly, unevenly, and as one part whose ring is its own other edge.
TEST(WorldErosion, IsTheWholeMapsCellForCell) {
    const std::vector<WorldCut> cuts{{97, 61, {0, 30, 31, 70, 97}, {0, 20, 61}},
                                     {80, 64, {0, 80}, {0, 64}},
                                     {129, 97, {0, 33, 65, 97, 129}, {0, 49, 97}}};
    for (const Wrap wrap : {Wrap::kNone, Wrap::kX, Wrap::kXY}) {
        for (const WorldCut& cut : cuts) {
            for (const uint32_t tick : {77U, 40321U}) {
                const RunSettings settings{.width = cut.width,
                                           .height = cut.height,
                                           .roughness = 3,
                                           .seaShare = 4,
                                           .tick = tick,
                                           .wrap = wrap};
                const MapSize size = settings.Size();
                const ErosionSettings erosion{.amount = 20, .wrap = wrap};
                CellGrid whole = WholeRunHeights(settings);
                const LoneRank alone;
                const PartWindows parts = cut.Windows(wrap, ErosionRing(erosion), alone);
                std::vector<CellGrid> heights;
                std::vector<ErosionTraces> traces;
                for (const PartWindow& window : parts.Windows()) {
                    CellGrid& cells = heights.emplace_back(window.size);
                    traces.emplace_back(window.size);
                    window.ForEachOwned([&](int32_t cell) {
                        const int32_t rows = window.size.Height();
                        const auto [x, y] = WorldCell(parts, window, cell / rows, cell % rows);
                        cells[cell] = whole.At(x, y);
                    });
                }
                const int32_t seaTarget = settings.seaShare * 100;
                ErosionTraces wholeTraces(size);
                const int32_t seaTop = ErodeLand(whole, size, seaTarget, erosion, &wholeTraces);
                ASSERT_EQ(ErodeWorld(parts, heights, seaTarget, erosion, &traces, alone), seaTop);
                for (std::size_t i = 0; i < heights.size(); ++i) {
                    const PartWindow& window = parts.Windows()[i];
                    for (int32_t x = 0; x < window.size.Width(); ++x) {
                        for (int32_t y = 0; y < window.size.Height(); ++y) {
                            const auto [wx, wy] = WorldCell(parts, window, x, y);
                            const std::size_t cell = window.Index(x, y);
                            ASSERT_EQ(heights[i][cell], whole.At(wx, wy))
                                << cut.width << " x " << cut.height << ", wrap "
                                << static_cast<int>(wrap) << ", tick " << tick << ", part "
                                << window.part << ": cell " << x << ", " << y;
                            const std::size_t at =
                                static_cast<std::size_t>(wx) * size.Height() + wy;
                            ASSERT_EQ(traces[i].levels.heights[cell],
                                      wholeTraces.levels.heights[at]);
                            ASSERT_EQ(traces[i].wear.heights[cell], wholeTraces.wear.heights[at]);
                            ASSERT_EQ(traces[i].deposit.heights[cell],
                                      wholeTraces.deposit.heights[at]);
                        }
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace morvik
