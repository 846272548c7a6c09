#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <memory>
#include <numeric>
#include <optional>
#include <random>
#include <vector>

#include "landscape/Drainage.h"
#include "landscape/DrainageArea.h"
#include "landscape/ErodedLand.h"
#include "landscape/LandscapeEvolution.h"
#include "landscape/LateralErosion.h"
#include "landscape/RankedSea.h"
#include "landscape/ReceiverTree.h"
#include "landscape/RockUplift.h"
#include "landscape/SedimentDeposition.h"
#include "landscape/StreamPowerIncision.h"
#include "terrain/Heightmap.h"
#include "terrain/Terrain.h"
#include "tests/landscape/LandscapeTestSupport.h"
#include "tests/terrain/TerrainTestSupport.h"

namespace morvik {
namespace {

double Total(const LandSurface& land) {
    return std::accumulate(land.heights.begin(), land.heights.end(), 0.0);
}

// A river down the middle row of a strip, between walls, into the left edge;
// each cell's water comes from every river cell right of it.
struct Strip {
    static constexpr int32_t kLength = 200;
    Strip() : size(kLength, 3), land(size), tree(size, Wrap::kNone), area(size.Cells()) {}

    // Walls of 1000 and the river rising one a cell from `mouth`, routed.
    void Lay(float mouth) {
        for (int32_t x = 0; x < kLength; ++x) {
            land.At(x, 0) = land.At(x, 2) = 1000;
            land.At(x, 1) = mouth + static_cast<float>(x);
        }
        tree.Route(land, 0, 0, 1);
        AccumulateDrainageArea(tree, area, 1);
    }

    MapSize size;
    LandSurface land;
    ReceiverTree tree;
    ZeroedVector<float> area;
};

// The implicit solution keeps a steady state where the cut balances the
// rise: a graded river whose slope falls as A^-m, the closed form of stream
// power with n = 1, S = U / (K A^m).
TEST(IncideRivers, GradesARiverToTheSteadyStateOfStreamPower) {
    Strip strip;
    for (float& height : strip.land.heights) height = 10;
    // Uniform rise: every cell at the same height above the sea.
    const RockUplift uplift(strip.land, 0, 1, 0, 0, Wrap::kNone, 1);
    const float rise = uplift.Over(0, 1);
    strip.Lay(1);
    ASSERT_EQ(strip.area[strip.size.Height() + 1], Strip::kLength - 2);

    const float erodibility = 0.5F;
    const float exponent = 0.45F;
    const AreaPower areaPower(exponent);
    ZeroedVector<float> eroded(strip.area.size());
    for (int32_t step = 0; step < 400; ++step) {
        IncideRivers(strip.land, strip.area, areaPower, uplift,
                     {.seaLevel = 0,
                      .leastDrop = 0,
                      .erodibility = erodibility,
                      .channelArea = 0,
                      .time = 1},
                     strip.tree, eroded, 1);
    }
    std::vector<double> logArea;
    std::vector<double> logSlope;
    for (int32_t x = 0; x + 1 < Strip::kLength; ++x) {
        const double below = x == 0 ? 0 : strip.land.At(x - 1, 1);
        const double slope = strip.land.At(x, 1) - below;
        const double area = Strip::kLength - 1 - x;
        ASSERT_NEAR(slope, rise / (erodibility * std::pow(area, exponent)), 1e-3 * slope)
            << "cell " << x;
        logArea.push_back(std::log(area));
        logSlope.push_back(std::log(slope));
    }
    const double meanArea = std::accumulate(logArea.begin(), logArea.end(), 0.0) / logArea.size();
    const double meanSlope =
        std::accumulate(logSlope.begin(), logSlope.end(), 0.0) / logSlope.size();
    double covariance = 0;
    double variance = 0;
    for (std::size_t i = 0; i < logArea.size(); ++i) {
        covariance += (logArea[i] - meanArea) * (logSlope[i] - meanSlope);
        variance += (logArea[i] - meanArea) * (logArea[i] - meanArea);
    }
    EXPECT_NEAR(-covariance / variance, exponent, 1e-3);
}

// The cut is solved for the height the receiver will have, so any step
// leaves the river falling toward its mouth, never below it.
TEST(IncideRivers, StaysAboveTheReceiverAtAnyStep) {
    for (const float erodibility : {0.01F, 1.0F, 1e6F}) {
        Strip strip;
        strip.Lay(5);
        const RockUplift uplift(strip.land, 0, 0, 0, 0, Wrap::kNone, 1);
        ZeroedVector<float> eroded(strip.area.size());
        IncideRivers(strip.land, strip.area, AreaPower(0.45F), uplift,
                     {.seaLevel = 0,
                      .leastDrop = 0.25F,
                      .erodibility = erodibility,
                      .channelArea = 0,
                      .time = 1},
                     strip.tree, eroded, 1);
        float below = 0;
        for (int32_t x = 0; x + 1 < Strip::kLength; ++x) {
            ASSERT_GE(strip.land.At(x, 1), below + 0.25F)
                << "K dt " << erodibility << ", cell " << x;
            below = strip.land.At(x, 1);
        }
    }
}

// A large river wears the banks whose water runs into it down toward its
// bed, a share of the way, to a floor just above it; a small river's banks,
// the river itself and the ground beyond stay, and what the banks lose is
// their sediment.
TEST(WidenValleyFloors, WearsTheBanksOfLargeRiversOnly) {
    const MapSize size(60, 7);
    LandSurface land(size);
    for (int32_t x = 0; x < 60; ++x) {
        for (int32_t y = 0; y < 7; ++y) {
            // A valley down the middle row, falling to the left edge.
            land.At(x, y) = 10 + static_cast<float>(x) + 20 * static_cast<float>(std::abs(y - 3));
        }
    }
    ReceiverTree tree(size, Wrap::kNone);
    tree.Route(land, 0, 0, 1);
    ZeroedVector<float> area(land.heights.size());
    AccumulateDrainageArea(tree, area, 1);
    const LandSurface before = land;
    ZeroedVector<float> sediment(land.heights.size());
    WidenValleyFloors(land, area, 0, {.riverArea = 50, .share = 0.5F, .floorRise = 2}, tree,
                      sediment, 2);
    int32_t worn = 0;
    for (int32_t cell = 0; cell < size.Cells(); ++cell) {
        const bool bank = area[cell] < 50 && !tree.IsRoot(cell) &&
                          area[tree.Receiver(cell)] >= 50 &&
                          before.heights[cell] > before.heights[tree.Receiver(cell)] + 2;
        const float expected =
            bank ? before.heights[cell] -
                       0.5F * (before.heights[cell] - (before.heights[tree.Receiver(cell)] + 2))
                 : before.heights[cell];
        ASSERT_FLOAT_EQ(land.heights[cell], expected) << "cell " << cell;
        ASSERT_FLOAT_EQ(sediment[cell], before.heights[cell] - land.heights[cell]);
        worn += bank ? 1 : 0;
    }
    EXPECT_GT(worn, 20);
}

// A tilted plane with a hollow and some sea, for the whole model.
LandSurface TiltedPlane(MapSize size, uint32_t seed) {
    LandSurface land(size);
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> bump(0, 2);
    for (int32_t x = 0; x < size.Width(); ++x) {
        for (int32_t y = 0; y < size.Height(); ++y) {
            land.At(x, y) = static_cast<float>(size.Height() - y) - 10 + bump(random);
        }
    }
    return land;
}

// What the rivers carry they leave on the map or carry off it: nothing is
// made or lost on the way.
TEST(DepositSediment, LeavesOrCarriesAwayEverythingItIsGiven) {
    const MapSize size(90, 70);
    LandSurface land = TiltedPlane(size, 3);
    ReceiverTree tree(size, Wrap::kNone);
    tree.Route(land, 0, 0, 2);
    ZeroedVector<float> area(land.heights.size());
    AccumulateDrainageArea(tree, area, 2);
    ZeroedVector<float> sediment(land.heights.size());
    std::mt19937 random(5);
    for (std::size_t cell = 0; cell < sediment.size(); ++cell) {
        if (land.heights[cell] >= 0) sediment[cell] = static_cast<float>(random() % 100) / 50;
    }
    const double given = std::accumulate(sediment.begin(), sediment.end(), 0.0);
    const double before = Total(land);
    const double away = DepositSediment(
        land, area,
        {.seaLevel = 0, .leastDrop = 0.01F, .landShare = 1, .channelArea = 0, .seaShare = 0.2F},
        tree, sediment, 2);
    EXPECT_GT(away, 0);
    EXPECT_GT(Total(land) - before, 0.2 * given);
    EXPECT_NEAR(Total(land) - before + away, given, 1e-4 * given);
    // No sea cell rose to the sea's level.
    const LandSurface start = TiltedPlane(size, 3);
    for (std::size_t cell = 0; cell < land.heights.size(); ++cell) {
        if (start.heights[cell] < 0) {
            ASSERT_LT(land.heights[cell], 0) << "cell " << cell;
        }
    }
}

// Without sea the edges are the base level: water leaves the land there,
// the rivers cut down to it, and the land beside them is cut toward them.
TEST(EvolveLandscape, MakesTheEdgesOutlets) {
    const MapSize size(80, 60);
    // A rough plateau, drained as the model takes land.
    CellGrid levels(size);
    std::mt19937 random(9);
    for (int32_t x = 0; x < size.Width(); ++x) {
        for (int32_t y = 0; y < size.Height(); ++y) {
            levels.At(x, y) = 1000 + static_cast<int32_t>(random() % 100);
        }
    }
    DrainToSea(levels, size, -1);
    LandSurface land = SurfaceOfLevels(levels, size, 1);
    EvolveLandscape(land, 0, {.amount = 30});
    const auto meanWithin = [&](const LandSurface& surface, int32_t from, int32_t to) {
        double sum = 0;
        int32_t cells = 0;
        for (int32_t x = 0; x < size.Width(); ++x) {
            for (int32_t y = 0; y < size.Height(); ++y) {
                const int32_t fromEdge =
                    std::min({x, y, size.Width() - 1 - x, size.Height() - 1 - y});
                if (fromEdge < from || fromEdge > to) continue;
                sum += surface.At(x, y);
                ++cells;
            }
        }
        return sum / cells;
    };
    EXPECT_LT(meanWithin(land, 0, 2), 0.9 * meanWithin(land, 15, 100));
    ReceiverTree tree(size, Wrap::kNone);
    tree.Route(land, 0, 0, 1);
    ZeroedVector<float> area(land.heights.size());
    AccumulateDrainageArea(tree, area, 1);
    int32_t mouth = 0;
    for (int32_t cell = 0; cell < size.Cells(); ++cell) {
        ASSERT_GT(land.heights[cell], 0);
        ASSERT_TRUE(!tree.IsRoot(cell) || tree.LeavesMap(cell)) << "water stands at " << cell;
        if (tree.LeavesMap(cell) && area[cell] > area[mouth]) mouth = cell;
    }
    EXPECT_GT(area[mouth], 100);
    EXPECT_LT(land.heights[mouth], 0.1 * ExtremesOf(land, 1).highest)
        << "the largest river leaves at " << mouth;
}

// On a map of four heights most cells share the level the sea ends in: the
// sea is still the asked share to the cell, and of those cells the ones in
// the lowest neighbourhoods.
TEST(RankSea, TakesTheAskedShareToTheCellAmongTiedHeights) {
    std::mt19937 random(13);
    for (int32_t trial = 0; trial < 20; ++trial) {
        const MapSize size(1 + static_cast<int32_t>(random() % 60),
                           1 + static_cast<int32_t>(random() % 60));
        CellGrid heights(size);
        for (int32_t x = 0; x < size.Width(); ++x) {
            for (int32_t y = 0; y < size.Height(); ++y) {
                heights.At(x, y) = static_cast<int32_t>(random() % 4) * 1000 - 1500;
            }
        }
        const int32_t seaTarget = 100 * (1 + trial % 9);
        const RankedSurface ranked = RankSea(heights, size, seaTarget, Wrap::kNone, 1);
        const int64_t expectedSea = (int64_t{seaTarget} * size.Cells() + 999) / 1000;
        int64_t sea = 0;
        int64_t highestTiedSea = INT64_MIN;
        int64_t lowestTiedLand = INT64_MAX;
        const int32_t rows = size.Height();
        for (int32_t x = 0; x < size.Width(); ++x) {
            for (int32_t y = 0; y < rows; ++y) {
                const bool isSea = ranked.land.At(x, y) < ranked.seaLevel;
                sea += isSea ? 1 : 0;
                // Tied cells: the ones of the level the sea ends in.
                if (std::abs(ranked.land.At(x, y)) > 0.5F) continue;
                int64_t around = 0;
                for (int32_t dx = -1; dx <= 1; ++dx) {
                    for (int32_t dy = -1; dy <= 1; ++dy) {
                        const int32_t nx = x + dx;
                        const int32_t ny = y + dy;
                        around += nx < 0 || ny < 0 || nx >= size.Width() || ny >= rows
                                      ? heights.At(x, y)
                                      : heights.At(nx, ny);
                    }
                }
                if (isSea) {
                    highestTiedSea = std::max(highestTiedSea, around);
                } else {
                    lowestTiedLand = std::min(lowestTiedLand, around);
                }
            }
        }
        ASSERT_EQ(sea, expectedSea) << size.Width() << " x " << size.Height();
        ASSERT_LE(highestTiedSea, lowestTiedLand);
    }
}

// The whole erosion of a run: the land the finish keeps drains in whole
// levels, the sea is the asked share, and the heights fit 16 bits.
TEST(ErodeLand, KeepsTheRankedSeaAndDrainsEveryLandCell) {
    std::mt19937 random(11);
    for (int32_t trial = 0; trial < 12; ++trial) {
        const MapSize size(1 + static_cast<int32_t>(random() % 90),
                           1 + static_cast<int32_t>(random() % 70));
        const auto seaShare = static_cast<int32_t>(1 + random() % 9);
        const Wrap wrap = std::array{Wrap::kNone, Wrap::kX, Wrap::kXY}[trial % 3];
        CellGrid heights = CircleHeights(size, static_cast<int32_t>(1 + random() % 5), seaShare,
                                         static_cast<uint32_t>(random()), wrap);
        const int32_t seaTop =
            ErodeLand(heights, size, seaShare * 100, {.amount = 1 + trial * 4, .wrap = wrap});
        ASSERT_TRUE(EveryLandCellDrains(heights, size, seaTop, wrap)) << "trial " << trial;
        int64_t sea = 0;
        for (int32_t x = 0; x < size.Width(); ++x) {
            for (int32_t y = 0; y < size.Height(); ++y) {
                ASSERT_GE(heights.At(x, y), 0);
                ASSERT_LE(heights.At(x, y), 65535);
                sea += heights.At(x, y) <= seaTop ? 1 : 0;
            }
        }
        EXPECT_EQ(sea, (int64_t{seaShare} * 100 * size.Cells() + 999) / 1000) << "trial " << trial;
    }
}

// Maps of one or two cells a side, wrapped or not, where every neighbour
// is the cell itself or its only other.
TEST(ErodeLand, TakesTheSmallestMaps) {
    for (const MapSize size : {MapSize(1, 1), MapSize(1, 2), MapSize(2, 1), MapSize(2, 2),
                               MapSize(3, 1), MapSize(1, 3)}) {
        for (const Wrap wrap : {Wrap::kNone, Wrap::kX, Wrap::kXY}) {
            CellGrid heights = CircleHeights(size, 3, 5, 99, wrap);
            const int32_t seaTop = ErodeLand(heights, size, 500, {.amount = 5, .wrap = wrap});
            EXPECT_TRUE(EveryLandCellDrains(heights, size, seaTop, wrap));
        }
    }
}

TEST(ErodeLand, IsTheSameForAnyNumberOfThreads) {
    const MapSize size(300, 211);
    for (const Wrap wrap : {Wrap::kNone, Wrap::kXY}) {
        const CellGrid circles = CircleHeights(size, 3, 4, 123456789, wrap);
        CellGrid one = circles;
        const int32_t seaTop = ErodeLand(one, size, 400, {.amount = 3, .wrap = wrap, .threads = 1});
        for (const int32_t threads : {2, 5}) {
            CellGrid many = circles;
            EXPECT_EQ(ErodeLand(many, size, 400, {.amount = 3, .wrap = wrap, .threads = threads}),
                      seaTop);
            EXPECT_TRUE(SameCorner(many, one, size)) << threads << " threads";
        }
    }
}

// A whole eroded run through the generator: its heightmap keeps every
// promise (the order of the heights, the whole range, the sea the finished
// map shows at or below its sea level) and drains as written.
TEST(ErodeLand, GivesAHeightmapThatDrainsAsWritten) {
    std::mt19937 random(9);
    for (int32_t trial = 0; trial < 6; ++trial) {
        const MapSize size(2 + static_cast<int32_t>(random() % 299),
                           2 + static_cast<int32_t>(random() % 199));
        const int32_t seaShare = 1 + static_cast<int32_t>(random() % 9);
        SCOPED_TRACE(testing::Message()
                     << size.Width() << " x " << size.Height() << ", sea " << seaShare);
        FixedTickSource ticks(static_cast<uint32_t>(random()));
        auto terrain = std::make_unique<Terrain>(ticks, size);
        terrain->StartGeneration(size, 1 + trial % 5, seaShare, size.Width(), size.Height());
        terrain->CompleteIterations(size);
        const int32_t seaTop = terrain->ShapeLand([&](CellGrid& heights, int32_t seaTarget) {
            return ErodeLand(heights, size, seaTarget, {.amount = 2 + trial * 10});
        });
        const std::optional<CellGrid> before = terrain->Heights();
        const std::optional<Heightmap> map = MakeHeightmap(*before, size, seaTop);
        terrain->FinishAtSea(size, seaTop, {});
        const auto value = [&](int32_t x, int32_t y) {
            return map->values[static_cast<std::size_t>(y) * size.Width() + x];
        };
        int32_t lowest = 65535;
        int32_t highest = 0;
        for (int32_t x = 0; x < size.Width(); ++x) {
            for (int32_t y = 0; y < size.Height(); ++y) {
                lowest = std::min<int32_t>(lowest, value(x, y));
                highest = std::max<int32_t>(highest, value(x, y));
                ASSERT_EQ(value(x, y) <= map->seaLevel, terrain->Heights().At(x, y) <= 0)
                    << "(" << x << ", " << y << ")";
                if (x + 1 < size.Width()) {
                    ASSERT_EQ(before->At(x, y) < before->At(x + 1, y),
                              value(x, y) < value(x + 1, y));
                }
                const bool inside = x > 0 && y > 0 && x + 1 < size.Width() && y + 1 < size.Height();
                if (!inside || value(x, y) <= map->seaLevel) continue;
                bool lower = false;
                for (int32_t nx = x - 1; nx <= x + 1; ++nx) {
                    for (int32_t ny = y - 1; ny <= y + 1; ++ny)
                        lower |= value(nx, ny) < value(x, y);
                }
                ASSERT_TRUE(lower) << "water stands at (" << x << ", " << y << ")";
            }
        }
        EXPECT_EQ(lowest, 0);
        EXPECT_EQ(highest, 65535);
    }
}

}  // namespace
}  // namespace morvik
