#include "terrain/Heightmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <numeric>
#include <random>
#include <set>
#include <vector>

#include "terrain/Circle.h"
#include "terrain/SeaLevel.h"
#include "terrain/Terrain.h"
#include "terrain/WorldSize.h"
#include "tests/terrain/TerrainTestSupport.h"

namespace morvik {
namespace {

// The heightmap of the terrain's heights, checked against the map its
// finish makes: higher ground never lower, the whole range, distinct heights
// distinct when there are few enough, and sea at or below the sea level,
// land above it.
void ExpectHeightmapOfTheRun(Terrain& terrain, MapSize size, int32_t seaShare) {
    std::vector<int32_t> raw;
    for (int32_t y = 0; y < size.Height(); ++y) {
        for (int32_t x = 0; x < size.Width(); ++x) raw.push_back(terrain.Heights().At(x, y));
    }
    const Heightmap map =
        MakeHeightmap(terrain.Heights(), size, HighestSea(terrain.Heights(), size, seaShare * 100));
    terrain.FinishGeneration(size, {});
    ASSERT_EQ(map.values.size(), raw.size());

    std::vector<std::size_t> order(raw.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](auto a, auto b) { return raw[a] < raw[b]; });
    const std::size_t distinct = std::set<int32_t>(raw.begin(), raw.end()).size();
    for (std::size_t i = 1; i < order.size(); ++i) {
        const std::size_t lower = order[i - 1], higher = order[i];
        ASSERT_LE(map.values[lower], map.values[higher])
            << "heights " << raw[lower] << " and " << raw[higher];
        if (distinct <= 65536 && raw[lower] != raw[higher]) {
            ASSERT_LT(map.values[lower], map.values[higher])
                << "heights " << raw[lower] << " and " << raw[higher];
        }
    }
    const auto [lowest, highest] = std::minmax_element(map.values.begin(), map.values.end());
    EXPECT_EQ(*lowest, 0);
    EXPECT_EQ(*highest, distinct == 1 ? 0 : 65535);
    for (int32_t y = 0; y < size.Height(); ++y) {
        for (int32_t x = 0; x < size.Width(); ++x) {
            const uint16_t value = map.values[static_cast<std::size_t>(y) * size.Width() + x];
            if (terrain.Heights().At(x, y) <= 0) {
                ASSERT_LE(value, map.seaLevel) << "sea at (" << x << ", " << y << ")";
            } else {
                ASSERT_GT(value, map.seaLevel) << "land at (" << x << ", " << y << ")";
            }
        }
    }
}

TEST(Heightmap, RealRunsAgreeWithTheirFinishedMaps) {
    SeededTickSource ticks(7);
    auto terrain = std::make_unique<Terrain>(ticks, MapSize(300, 200));
    std::mt19937 random(3);
    for (int trial = 0; trial < 12; ++trial) {
        const MapSize size(1 + static_cast<int32_t>(random() % 300),
                           1 + static_cast<int32_t>(random() % 200));
        const int32_t seaShare = 1 + trial % 9;
        SCOPED_TRACE(testing::Message()
                     << size.Width() << " x " << size.Height() << ", sea " << seaShare);
        terrain->StartGeneration(size, 1 + trial % 5, seaShare, size.Width(), size.Height());
        terrain->CompleteIterations(size);
        ExpectHeightmapOfTheRun(*terrain, size, seaShare);
    }
}

// Flat, two heights, and more distinct heights than 16 bits can keep apart,
// whose sea and land must still not meet.
TEST(Heightmap, FlatSteppedAndCrowdedHeights) {
    FixedTickSource ticks(0);
    auto terrain = std::make_unique<Terrain>(ticks, MapSize(400, 300));
    const auto fill = [&](MapSize size, int32_t seaShare, auto height) {
        terrain->StartGeneration(size, 1, seaShare, size.Width(), size.Height());
        for (int32_t x = 0; x < size.Width(); ++x) {
            for (int32_t y = 0; y < size.Height(); ++y) terrain->SetHeight(x, y, height(x, y));
        }
    };
    fill(MapSize(7, 5), 5, [](int32_t, int32_t) { return 12; });
    ExpectHeightmapOfTheRun(*terrain, MapSize(7, 5), 5);
    fill(MapSize(2, 1), 5, [](int32_t x, int32_t) { return x == 0 ? -3 : 9; });
    ExpectHeightmapOfTheRun(*terrain, MapSize(2, 1), 5);

    // 120,000 distinct heights, with gaps, a fifth of them near the coast.
    const MapSize crowded(400, 300);
    fill(crowded, 3, [](int32_t x, int32_t y) { return (y * 400 + x) * 3 - 100000; });
    ExpectHeightmapOfTheRun(*terrain, crowded, 3);
}

// Nothing in the finish's arithmetic overflows at the largest map one
// process holds, nor at the largest world: the highest and lowest heights
// their circles can reach, and every cell sea.
TEST(Heightmap, TheFinishArithmeticHoldsAtTheLargestMapAndWorld) {
    const MapSize held(MapSize::kLargestSide, MapSize::kLargestSide);
    FixedTickSource ticks(0);
    Terrain terrain(ticks, MapSize(1, 1));
    terrain.StartGeneration(MapSize(1, 1), 5, 9, held.Width(), held.Height());
    EXPECT_EQ(terrain.Job().TotalIterations, 26848820);
    for (const WorldSize largest :
         {WorldSize(held), WorldSize(WorldSize::kLargestSide, WorldSize::kLargestSide)}) {
        const int64_t circles = CircleCount(kMostRoughness, largest);
        ASSERT_LE(circles, INT32_MAX) << "a cell's height moves one step a circle";
        const auto most = static_cast<int32_t>(circles);
        const HeightExtremes extremes{.highest = most, .lowest = -most};
        EXPECT_EQ(RescaledHeight(most, extremes), 100);
        EXPECT_EQ(RescaledHeight(-most, extremes), 0);
        EXPECT_EQ(RescaledHeight(0, extremes), 50);
        EXPECT_EQ(RescaledHeight(most - 1, extremes), 99);
        const int32_t sea = HighestSeaOf(extremes, 50);
        EXPECT_EQ(RescaledHeight(sea, extremes), 50);
        EXPECT_EQ(RescaledHeight(sea + 1, extremes), 51);
        EXPECT_EQ(SeaPermille(largest.Cells(), largest), 1000);
        EXPECT_EQ(SeaPermille(largest.Cells() / 10 * 9, largest), 899);
        RescaledCounts cellsAt{};
        cellsAt[100] = largest.Cells();
        EXPECT_EQ(LoweringPasses(cellsAt, largest, 900), 100) << "all land: every pass";
    }
}

}  // namespace
}  // namespace morvik
