#include "terrain/Erosion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <numeric>
#include <random>

#include "terrain/Drainage.h"
#include "terrain/ERangeError.h"
#include "terrain/ErodedLand.h"
#include "terrain/SeaLevel.h"
#include "terrain/Terrain.h"
#include "tests/terrain/TerrainTestSupport.h"

namespace morvik {
namespace {

// Whether every cell above seaTop, away from an edge that does not wrap, has
// a strictly lower neighbour of its eight (across a wrapped edge, at the
// other edge); names the first that has none.
testing::AssertionResult EveryLandCellDrains(const CellGrid& heights, MapSize size, int32_t seaTop,
                                             Wrap wrap = Wrap::kNone) {
    const int32_t width = size.Width();
    const int32_t rows = size.Height();
    const int32_t inX = WrapsColumns(wrap) ? 0 : 1;
    const int32_t inY = WrapsRows(wrap) ? 0 : 1;
    for (int32_t x = inX; x + inX < width; ++x) {
        for (int32_t y = inY; y + inY < rows; ++y) {
            const int32_t height = heights.At(x, y);
            if (height <= seaTop) continue;
            bool lower = false;
            for (int32_t dx = -1; dx <= 1; ++dx) {
                for (int32_t dy = -1; dy <= 1; ++dy) {
                    lower |= heights.At((x + dx + width) % width, (y + dy + rows) % rows) < height;
                }
            }
            if (!lower) {
                return testing::AssertionFailure()
                       << "land at (" << x << ", " << y << ") of " << width << " x " << rows
                       << " has no way down from " << height;
            }
        }
    }
    return testing::AssertionSuccess();
}

// A whole run's heights before its finish.
CellGrid RunHeights(MapSize size, int32_t roughness, int32_t seaShare, uint32_t tick,
                    Wrap wrap = Wrap::kNone) {
    FixedTickSource ticks(tick);
    auto terrain = std::make_unique<Terrain>(ticks, size);
    terrain->StartGeneration(size, roughness, seaShare, size.Width(), size.Height(), wrap);
    terrain->CompleteIterations(size);
    CellGrid heights(size);
    for (int32_t x = 0; x < size.Width(); ++x) {
        for (int32_t y = 0; y < size.Height(); ++y) heights.At(x, y) = terrain->Heights().At(x, y);
    }
    return heights;
}

// Pits, flats and plateaus of every kind: few distinct heights on small maps.
TEST(DrainToSea, LiftsEveryLandCellOntoAWayDownAndNothingElse) {
    std::mt19937 random(7);
    for (int32_t trial = 0; trial < 300; ++trial) {
        const MapSize size(1 + static_cast<int32_t>(random() % 40),
                           1 + static_cast<int32_t>(random() % 40));
        const auto levels = static_cast<int32_t>(2 + random() % 60000);
        CellGrid heights(size);
        for (int32_t x = 0; x < size.Width(); ++x) {
            for (int32_t y = 0; y < size.Height(); ++y) {
                heights.At(x, y) = static_cast<int32_t>(random() % (trial % 2 ? 4 : levels));
            }
        }
        const Wrap wrap = std::array{Wrap::kNone, Wrap::kX, Wrap::kXY}[trial % 3];
        auto seaTop = static_cast<int32_t>(random() % 3) - 1;
        // A map with neither edge nor sea has nowhere for its water to go.
        if (WrapsRows(wrap))
            seaTop = std::max(
                seaTop, *std::min_element(heights.Column(0), heights.Column(0) + size.Cells()));
        CellGrid before = heights;
        DrainToSea(heights, size, seaTop, wrap);

        ASSERT_TRUE(EveryLandCellDrains(heights, size, seaTop, wrap));
        int32_t highest = 0;
        for (int32_t x = 0; x < size.Width(); ++x) {
            for (int32_t y = 0; y < size.Height(); ++y)
                highest = std::max(highest, before.At(x, y));
        }
        for (int32_t x = 0; x < size.Width(); ++x) {
            for (int32_t y = 0; y < size.Height(); ++y) {
                const int32_t fromSide = std::min(x, size.Width() - 1 - x);
                const int32_t fromTop = std::min(y, size.Height() - 1 - y);
                const bool onEdge =
                    (!WrapsColumns(wrap) && fromSide == 0) || (!WrapsRows(wrap) && fromTop == 0);
                if (before.At(x, y) <= seaTop || onEdge) {
                    ASSERT_EQ(heights.At(x, y), before.At(x, y)) << "(" << x << ", " << y << ")";
                }
                ASSERT_GE(heights.At(x, y), before.At(x, y));
                if (wrap == Wrap::kNone) {
                    ASSERT_LE(heights.At(x, y), highest + std::min(fromSide, fromTop));
                }
            }
        }
    }
}

TEST(DrainToSea, RefusesHeightsBeyondSixteenBitsUnchanged) {
    const MapSize size(5, 5);
    CellGrid heights(size);
    heights.At(2, 2) = 65536;
    const CellGrid before = heights;
    EXPECT_THROW(DrainToSea(heights, size, -1), ERangeError);
    EXPECT_TRUE(SameCorner(heights, before, size));
    // A plateau at the top would need a level above it.
    for (int32_t x = 0; x < 5; ++x) {
        for (int32_t y = 0; y < 5; ++y) heights.At(x, y) = 65535;
    }
    EXPECT_THROW(DrainToSea(heights, size, -1), ERangeError);
}

// The finish's own sea: the land it leaves drains, and the heights fit 16 bits.
TEST(ErodeLand, DrainsEveryCellTheFinishMakesLand) {
    std::mt19937 random(11);
    for (int32_t trial = 0; trial < 12; ++trial) {
        const MapSize size(1 + static_cast<int32_t>(random() % 90),
                           1 + static_cast<int32_t>(random() % 70));
        const auto seaShare = static_cast<int32_t>(1 + random() % 9);
        const Wrap wrap = std::array{Wrap::kNone, Wrap::kX, Wrap::kXY}[trial % 3];
        CellGrid heights = RunHeights(size, static_cast<int32_t>(1 + random() % 5), seaShare,
                                      static_cast<uint32_t>(random()), wrap);
        ErodeLand(heights, size, seaShare * 100, {.storms = 1 + trial % 3, .wrap = wrap});
        const int32_t seaTop = HighestSea(heights, size, seaShare * 100);
        ASSERT_TRUE(EveryLandCellDrains(heights, size, seaTop, wrap)) << "trial " << trial;
        for (int32_t x = 0; x < size.Width(); ++x) {
            for (int32_t y = 0; y < size.Height(); ++y) {
                ASSERT_GE(heights.At(x, y), 0);
                ASSERT_LE(heights.At(x, y), 65535);
            }
        }
    }
}

TEST(ErodeLand, IsTheSameForAnyNumberOfThreads) {
    const MapSize size(300, 211);
    for (const Wrap wrap : {Wrap::kNone, Wrap::kXY}) {
        const CellGrid circles = RunHeights(size, 3, 4, 123456789, wrap);
        CellGrid one = circles;
        ErodeLand(one, size, 400, {.storms = 3, .threads = 1, .wrap = wrap});
        for (const int32_t threads : {2, 5}) {
            CellGrid many = circles;
            ErodeLand(many, size, 400, {.storms = 3, .threads = threads, .wrap = wrap});
            EXPECT_TRUE(SameCorner(many, one, size)) << threads << " threads";
        }
    }
}

double Total(const LandSurface& land) {
    return std::accumulate(land.heights.begin(), land.heights.end(), 0.0);
}

LandSurface TiltedPlane(MapSize size) {
    LandSurface land(size);
    std::mt19937 random(3);
    std::uniform_real_distribution<float> bump(0, 0.5F);
    for (int32_t x = 0; x < size.Width(); ++x) {
        for (int32_t y = 0; y < size.Height(); ++y) {
            land.At(x, y) = 0.2F * static_cast<float>(size.Height() - y) + bump(random);
        }
    }
    return land;
}

// What the rain takes up it leaves somewhere on the map, but for what goes
// off the edge or out to sea; the ground that fills the hollows at the start
// is the only ground added.
TEST(Erode, KeepsEverySedimentItDoesNotCarryAway) {
    LandSurface land = TiltedPlane(MapSize(120, 90));
    // Sea along the bottom, and a hollow in the middle.
    for (int32_t x = 40; x < 60; ++x) {
        for (int32_t y = 30; y < 50; ++y) land.At(x, y) -= 3;
    }
    const LandSurface start = land;
    const ErosionTally tally = Erode(land, {.storms = 3, .seaLevel = 2});
    double moved = 0;
    for (std::size_t cell = 0; cell < land.heights.size(); ++cell) {
        moved += std::abs(land.heights[cell] - start.heights[cell]);
    }
    EXPECT_GT(tally.carriedAway, 0);
    EXPECT_GT(tally.hollowsFilled, 100);  // the hollow, shallower once the creep has been
    EXPECT_NEAR(Total(land) - Total(start), tally.hollowsFilled - tally.carriedAway, 1e-4 * moved);
}

// Water gathering in the troughs of a corrugated slope cuts them into
// channels, deeper than the ridges between them and deeper the farther
// down they are (until the sea holds them up), running downhill all the way.
TEST(Erode, CutsChannelsDownACorrugatedSlope) {
    const MapSize size(160, 200);
    LandSurface land(size);
    for (int32_t x = 0; x < size.Width(); ++x) {
        for (int32_t y = 0; y < size.Height(); ++y) {
            land.At(x, y) = 0.2F * static_cast<float>(size.Height() - y) +
                            0.5F * std::cos(6.2831853F * static_cast<float>(x) / 16);
        }
    }
    const LandSurface start = land;
    Erode(land, {.storms = 4, .seaLevel = 1});
    const auto cut = [&](int32_t firstColumn, int32_t y) {
        double sum = 0;
        for (int32_t x = firstColumn; x < size.Width(); x += 16)
            sum += start.At(x, y) - land.At(x, y);
        return sum / (size.Width() / 16);
    };
    for (int32_t y = 30; y <= 130; y += 20) {
        EXPECT_GT(cut(8, y), 1.3 * cut(0, y)) << "troughs against ridges, row " << y;
    }
    EXPECT_GT(cut(8, 70), 1.3 * cut(8, 10));
    EXPECT_GT(cut(8, 90), 1.3 * cut(8, 30));
    for (int32_t x = 8; x < size.Width(); x += 16) {
        for (int32_t y = 0; y + 10 < size.Height(); y += 10) {
            ASSERT_GT(land.At(x, y), land.At(x, y + 10)) << "trough " << x << ", row " << y;
        }
    }
}

}  // namespace
}  // namespace morvik
