#include "landscape/Drainage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>

#include "terrain/ERangeError.h"
#include "tests/landscape/LandscapeTestSupport.h"
#include "tests/terrain/TerrainTestSupport.h"

namespace morvik {
namespace {

// The least lift by its definition: heights that stay where they are on the
// sea and the edges, and elsewhere are the cell's own or one above the lowest
// neighbour's, whichever is higher, relaxed until nothing changes.
CellGrid LeastLift(const CellGrid& heights, MapSize size, int32_t seaTop, Wrap wrap) {
    CellGrid lifted = heights;
    const int32_t width = size.Width();
    const int32_t rows = size.Height();
    const auto fixed = [&](int32_t x, int32_t y) {
        return heights.At(x, y) <= seaTop || (!WrapsColumns(wrap) && (x == 0 || x == width - 1)) ||
               (!WrapsRows(wrap) && (y == 0 || y == rows - 1));
    };
    // Start every free cell high: the relaxation only lowers toward the fixpoint.
    for (int32_t x = 0; x < width; ++x) {
        for (int32_t y = 0; y < rows; ++y) {
            if (!fixed(x, y)) lifted.At(x, y) = 1 << 30;
        }
    }
    for (bool changed = true; changed;) {
        changed = false;
        for (int32_t x = 0; x < width; ++x) {
            for (int32_t y = 0; y < rows; ++y) {
                if (fixed(x, y)) continue;
                int32_t lowest = 1 << 30;
                for (int32_t dx = -1; dx <= 1; ++dx) {
                    for (int32_t dy = -1; dy <= 1; ++dy) {
                        const int32_t nx = x + dx;
                        const int32_t ny = y + dy;
                        if ((dx == 0 && dy == 0) ||
                            (!WrapsColumns(wrap) && (nx < 0 || nx >= width)) ||
                            (!WrapsRows(wrap) && (ny < 0 || ny >= rows)))
                            continue;
                        lowest =
                            std::min(lowest, lifted.At((nx + width) % width, (ny + rows) % rows));
                    }
                }
                const int32_t next = std::max(heights.At(x, y), lowest + 1);
                if (next < lifted.At(x, y)) {
                    lifted.At(x, y) = next;
                    changed = true;
                }
            }
        }
    }
    return lifted;
}

// Pits, flats and plateaus of every kind: few distinct heights on small maps.
TEST(DrainToSea, LiftsEveryLandCellOntoAWayDownWithTheLeastLift) {
    std::mt19937 random(7);
    for (int32_t trial = 0; trial < 300; ++trial) {
        const MapSize size(1 + static_cast<int32_t>(random() % 30),
                           1 + static_cast<int32_t>(random() % 30));
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
        const CellGrid expected = LeastLift(heights, size, seaTop, wrap);
        EXPECT_EQ(Drains(heights, size, seaTop, wrap, 1),
                  static_cast<bool>(SameCorner(heights, expected, size)));
        DrainToSea(heights, size, seaTop, wrap);

        ASSERT_TRUE(SameCorner(heights, expected, size)) << "trial " << trial;
        ASSERT_TRUE(EveryLandCellDrains(heights, size, seaTop, wrap));
        ASSERT_TRUE(Drains(heights, size, seaTop, wrap, 2));
    }
}

// Breaching keeps the hollows' floors where they are and cuts their way
// out: where the land stands well above the sea no cell rises, and every
// land cell drains.
TEST(DrainToSea, BreachesHollowsWithoutLiftingAnyCell) {
    std::mt19937 random(21);
    for (int32_t trial = 0; trial < 200; ++trial) {
        const MapSize size(1 + static_cast<int32_t>(random() % 40),
                           1 + static_cast<int32_t>(random() % 40));
        const Wrap wrap = std::array{Wrap::kNone, Wrap::kX, Wrap::kXY}[trial % 3];
        CellGrid heights(size);
        for (int32_t x = 0; x < size.Width(); ++x) {
            for (int32_t y = 0; y < size.Height(); ++y) {
                // A few cells of sea at 0, the land 1000 up and rough.
                heights.At(x, y) =
                    random() % 9 == 0 ? 0 : 1000 + static_cast<int32_t>(random() % 200);
            }
        }
        if (WrapsRows(wrap)) heights.At(0, 0) = 0;  // a way out
        const CellGrid before = heights;
        DrainToSea(heights, size, 0, wrap, Hollows::kBreach);
        ASSERT_TRUE(EveryLandCellDrains(heights, size, 0, wrap)) << "trial " << trial;
        for (int32_t x = 0; x < size.Width(); ++x) {
            for (int32_t y = 0; y < size.Height(); ++y) {
                ASSERT_LE(heights.At(x, y), before.At(x, y));
                ASSERT_EQ(heights.At(x, y) <= 0, before.At(x, y) <= 0);
            }
        }
    }
}

// Next to the sea a hollow cannot be cut down through land that would then
// be sea: it is filled instead, and still drains, with no land at sea level.
TEST(DrainToSea, FillsWhatItCannotBreach) {
    const MapSize size(5, 5);
    CellGrid heights(size);
    for (int32_t x = 0; x < 5; ++x) {
        for (int32_t y = 0; y < 5; ++y) heights.At(x, y) = x == 0 ? 0 : 2;
    }
    heights.At(2, 2) = 1;  // a hollow one above the sea
    DrainToSea(heights, size, 0, Wrap::kNone, Hollows::kBreach);
    EXPECT_TRUE(EveryLandCellDrains(heights, size, 0));
    for (int32_t x = 1; x < 5; ++x) {
        for (int32_t y = 0; y < 5; ++y) EXPECT_GT(heights.At(x, y), 0);
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

}  // namespace
}  // namespace morvik
