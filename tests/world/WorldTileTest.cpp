#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "terrain/Heightmap.h"
#include "terrain/SeaLevel.h"
#include "terrain/Terrain.h"
#include "terrain/TickSource.h"
#include "tests/world/WorldTestSupport.h"
#include "world/GrownRegion.h"
#include "world/WorldCircles.h"
#include "world/WorldTile.h"

namespace morvik {
namespace {

// Every region of a world, tiles sharing their edges as engines take them
// or cut anyhow, holds the whole run's heights cell for cell: plain, and
// wrapping one way or both, where circles cross the edges.
TEST(RegionHeights, AreTheWholeRunsCellForCell) {
    for (const Wrap wrap : {Wrap::kNone, Wrap::kX, Wrap::kXY}) {
        for (const auto& [width, height, tick] :
             {std::tuple{257, 193, 9000U}, std::tuple{120, 301, 400U}, std::tuple{64, 64, 5U}}) {
            const RunSettings settings{.width = width,
                                       .height = height,
                                       .roughness = 3,
                                       .seaShare = 5,
                                       .tick = tick,
                                       .wrap = wrap};
            const CellGrid whole = WholeRunHeights(settings);
            const MapSize size = settings.Size();
            const std::vector<WorldRegion> regions{
                {0, 0, size},
                {0, 0, MapSize((width + 1) / 2, (height + 1) / 2)},
                {width / 2, height / 2, MapSize(width - width / 2, height - height / 2)},
                {width / 3, 1, MapSize(std::max(1, width / 3), height - 2)},
                {width - 1, height - 1, MapSize(1, 1)}};
            const std::vector<CellGrid> parts = RegionHeights(settings, regions);
            for (std::size_t i = 0; i < regions.size(); ++i) {
                const WorldRegion& region = regions[i];
                const CellGrid& part = parts[i];
                for (int32_t x = 0; x < region.size.Width(); ++x) {
                    for (int32_t y = 0; y < region.size.Height(); ++y) {
                        ASSERT_EQ(part.At(x, y), whole.At(region.left + x, region.top + y))
                            << width << " x " << height << ", wrap " << static_cast<int>(wrap)
                            << ", region at " << region.left << ", " << region.top << ": cell " << x
                            << ", " << y;
                    }
                }
            }
        }
    }
}

// Far past what one process holds, where squared radii and distances pass
// 32 bits: regions of a world 131,073 cells wide hold what every circle
// does to each of their cells, taken one cell at a time, wrapped or not.
TEST(RegionHeights, HoldEachCellsSumOfCirclesInTheWidestWorld) {
    for (const Wrap wrap : {Wrap::kNone, Wrap::kX}) {
        const RunSettings settings{.width = WorldSize::kLargestSide,
                                   .height = 3,
                                   .roughness = 1,
                                   .seaShare = 5,
                                   .tick = 1U << 31,
                                   .wrap = wrap};
        const int32_t width = settings.width;
        const std::vector<WorldRegion> regions{
            {0, 0, MapSize(40, 3)}, {70000, 1, MapSize(60, 2)}, {width - 50, 0, MapSize(50, 3)}};
        const std::vector<CellGrid> parts = RegionHeights(settings, regions);
        std::vector<std::vector<int32_t>> expected;
        for (const WorldRegion& region : regions) {
            expected.emplace_back(static_cast<std::size_t>(region.size.Cells()), 0);
        }
        int64_t widest = 0;
        ForEachCircle(settings, [&](const Circle& circle) {
            const int64_t radiusSquared = int64_t{circle.radius} * circle.radius;
            widest = std::max(widest, radiusSquared);
            for (std::size_t i = 0; i < regions.size(); ++i) {
                const WorldRegion& region = regions[i];
                for (int32_t x = 0; x < region.size.Width(); ++x) {
                    int64_t across = std::abs(int64_t{region.left} + x + circle.offX);
                    if (WrapsColumns(wrap)) {
                        across %= width;
                        across = std::min(across, width - across);
                    }
                    for (int32_t y = 0; y < region.size.Height(); ++y) {
                        const int64_t down = region.top + y + circle.offY;
                        const int64_t distance = across * across + down * down;
                        int32_t& height =
                            expected[i][static_cast<std::size_t>(x) * region.size.Height() + y];
                        if (distance < radiusSquared) height += circle.sign;
                        if (distance > radiusSquared) height -= circle.sign;
                    }
                }
            }
        });
        ASSERT_GT(widest, int64_t{INT32_MAX});
        for (std::size_t i = 0; i < regions.size(); ++i) {
            for (int32_t x = 0; x < regions[i].size.Width(); ++x) {
                for (int32_t y = 0; y < regions[i].size.Height(); ++y) {
                    ASSERT_EQ(
                        parts[i].At(x, y),
                        expected[i][static_cast<std::size_t>(x) * regions[i].size.Height() + y])
                        << "wrap " << static_cast<int>(wrap) << ", region " << i << ", cell " << x
                        << ", " << y;
                }
            }
        }
    }
}

// A region grown by the cells around it holds the whole run's heights
// there, across the edges that wrap, and ends at those that do not.
TEST(GrownRegion, HoldsTheCellsAroundTheRegion) {
    for (const Wrap wrap : {Wrap::kNone, Wrap::kX, Wrap::kXY}) {
        const RunSettings settings{
            .width = 90, .height = 70, .roughness = 2, .seaShare = 5, .tick = 4000, .wrap = wrap};
        const CellGrid whole = WholeRunHeights(settings);
        for (const WorldRegion& region :
             {WorldRegion{0, 0, MapSize(30, 20)}, WorldRegion{30, 20, MapSize(31, 21)},
              WorldRegion{60, 50, MapSize(30, 20)}, WorldRegion{0, 0, MapSize(90, 70)}}) {
            const GrownRegion grown(settings.World(), region, wrap);
            const std::vector<CellGrid> parts = RegionHeights(settings, grown.Parts());
            const CellGrid heights = grown.Heights(parts);
            const auto grows = [&](int32_t from, int32_t to, int32_t side, bool wraps) {
                return wraps || (from >= 0 && to < side) ? 1 : 0;
            };
            const bool wrapsX = WrapsColumns(wrap);
            const bool wrapsY = WrapsRows(wrap);
            const int32_t left = grows(region.left - 1, 0, 90, wrapsX);
            const int32_t above = grows(region.top - 1, 0, 70, wrapsY);
            ASSERT_EQ(grown.Left(), left);
            ASSERT_EQ(grown.Above(), above);
            ASSERT_EQ(grown.Size().Width(),
                      region.size.Width() + left +
                          grows(0, region.left + region.size.Width(), 90, wrapsX));
            ASSERT_EQ(grown.Size().Height(),
                      region.size.Height() + above +
                          grows(0, region.top + region.size.Height(), 70, wrapsY));
            for (int32_t x = 0; x < grown.Size().Width(); ++x) {
                for (int32_t y = 0; y < grown.Size().Height(); ++y) {
                    const int32_t atX = (region.left - left + x + 90) % 90;
                    const int32_t atY = (region.top - above + y + 70) % 70;
                    ASSERT_EQ(heights.At(x, y), whole.At(atX, atY))
                        << "wrap " << static_cast<int>(wrap) << ", region at " << region.left
                        << ", " << region.top << ": cell " << x << ", " << y;
                }
            }
        }
    }
}

// A world cut into regions that do not overlap tells, region by region,
// what its sea and its heightmap need: gathered, they give the whole run's
// highest sea height, and each region's heightmap is the whole heightmap
// there.
TEST(RegionHeightmap, IsTheWholeRunsHeightmapThere) {
    for (const Wrap wrap : {Wrap::kNone, Wrap::kXY}) {
        const RunSettings settings{.width = 241,
                                   .height = 181,
                                   .roughness = 2,
                                   .seaShare = 4,
                                   .tick = 70000,
                                   .wrap = wrap};
        const MapSize size = settings.Size();
        const CellGrid whole = WholeRunHeights(settings);
        const int32_t seaTop = HighestSea(whole, size, settings.seaShare * 100);
        const Heightmap heightmap = MakeHeightmap(whole, size, seaTop);

        std::vector<WorldRegion> regions;
        for (const auto& [left, width] : {std::pair{0, 100}, std::pair{100, 141}}) {
            for (const auto& [top, height] :
                 {std::pair{0, 60}, std::pair{60, 1}, std::pair{61, 120}}) {
                regions.push_back({left, top, MapSize(width, height)});
            }
        }
        const std::vector<CellGrid> parts = RegionHeights(settings, regions);
        HeightExtremes extremes{.highest = INT32_MIN, .lowest = INT32_MAX};
        for (std::size_t i = 0; i < regions.size(); ++i) {
            const HeightExtremes own = FindExtremes(parts[i], regions[i].size);
            extremes = Widened(extremes, own.highest, own.lowest);
        }
        RescaledCounts counts{};
        std::vector<uint8_t> occurs(
            static_cast<std::size_t>(extremes.highest - extremes.lowest + 1));
        for (std::size_t i = 0; i < regions.size(); ++i) {
            const RescaledCounts own = CountRescaled(parts[i], regions[i].size, extremes);
            for (std::size_t level = 0; level < counts.size(); ++level) counts[level] += own[level];
            const std::vector<uint8_t> held = OccurringHeights(parts[i], regions[i].size, extremes);
            for (std::size_t slot = 0; slot < occurs.size(); ++slot) occurs[slot] |= held[slot];
        }
        const int32_t worldSeaTop =
            HighestSeaOf(extremes, LoweringPasses(counts, size, settings.seaShare * 100));
        EXPECT_EQ(worldSeaTop, seaTop);
        const HeightValues values = ValuesOfHeights(occurs, extremes, worldSeaTop);
        EXPECT_EQ(values.seaLevel, heightmap.seaLevel);
        for (std::size_t i = 0; i < regions.size(); ++i) {
            const WorldRegion& region = regions[i];
            const Heightmap part = HeightmapOf(parts[i], region.size, values);
            for (int32_t y = 0; y < region.size.Height(); ++y) {
                for (int32_t x = 0; x < region.size.Width(); ++x) {
                    ASSERT_EQ(part.values[static_cast<std::size_t>(y) * region.size.Width() + x],
                              heightmap.values[static_cast<std::size_t>(region.top + y) * 241 +
                                               region.left + x]);
                }
            }
        }
    }
}

}  // namespace
}  // namespace morvik
