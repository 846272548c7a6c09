#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "terrain/ERangeError.h"
#include "terrain/SeaLevel.h"
#include "terrain/Terrain.h"
#include "tests/terrain/FinishOracle.h"
#include "tests/terrain/TerrainTestSupport.h"

namespace morvik {
namespace {

class Generation : public testing::Test {
  protected:
    // Sets the corner row by row, as it reads.
    void SetRows(MapSize size, const std::vector<int32_t>& rowMajor) {
        for (int32_t y = 0; y < size.Height(); ++y) {
            for (int32_t x = 0; x < size.Width(); ++x) {
                terrain->SetHeight(x, y, rowMajor[y * size.Width() + x]);
            }
        }
    }

    std::vector<int32_t> Finish(MapSize size) {
        std::vector<int32_t> reports;
        terrain->FinishGeneration(size, [&](int32_t seaCells) { reports.push_back(seaCells); });
        return reports;
    }

    SeededTickSource ticks{42};
    std::unique_ptr<Terrain> terrain = std::make_unique<Terrain>(ticks, kLargestProgramMap);
};

// The finish in one pass against the pass-by-pass loop: the same reports in
// the same order, and the same heights.
TEST_F(Generation, OnePassFinishMatchesThePassByPassLoop) {
    std::mt19937 random(11);
    auto oracle = std::make_unique<CellGrid>(kLargestProgramMap);
    for (int trial = 0; trial < 60; ++trial) {
        const MapSize size(1 + static_cast<int32_t>(random() % 200),
                           1 + static_cast<int32_t>(random() % 150));
        const int32_t seaShare = 1 + static_cast<int32_t>(random() % 9);
        const int kind = trial % 4;  // random, flat, all sea, all land
        const int32_t spread = 1 + static_cast<int32_t>(random() % 5000);
        terrain->StartGeneration(size, 1, seaShare, size.Width(), size.Height());
        for (int32_t x = 0; x < size.Width(); ++x) {
            for (int32_t y = 0; y < size.Height(); ++y) {
                const int32_t value = static_cast<int32_t>(random() % spread);
                const int32_t height = kind == 0   ? value - spread / 2
                                       : kind == 1 ? -7
                                       : kind == 2 ? -1 - value
                                                   : 1 + value;
                terrain->SetHeight(x, y, height);
                oracle->At(x, y) = height;
            }
        }
        SCOPED_TRACE(testing::Message() << "trial " << trial << ", " << size.Width() << " x "
                                        << size.Height() << ", sea " << seaShare);
        ASSERT_EQ(Finish(size), FinishPassByPass(*oracle, size, seaShare * 100));
        for (int32_t x = 0; x < size.Width(); ++x) {
            for (int32_t y = 0; y < size.Height(); ++y) {
                ASSERT_EQ(terrain->Heights().At(x, y), oracle->At(x, y));
            }
        }
    }
}

// The finish at a sea chosen before it: at the sea the finish itself would
// choose it is that finish; at any other, the cells up to it are sea and
// every other cell land, whatever the rescale makes of them.
TEST_F(Generation, FinishAtSeaMakesSeaOfTheCellsUpToItsTop) {
    std::mt19937 random(17);
    auto oracle = std::make_unique<CellGrid>(kLargestProgramMap);
    for (int trial = 0; trial < 40; ++trial) {
        const MapSize size(1 + static_cast<int32_t>(random() % 120),
                           1 + static_cast<int32_t>(random() % 90));
        const int32_t seaShare = 1 + static_cast<int32_t>(random() % 9);
        const int32_t spread = 1 + static_cast<int32_t>(random() % 5000);
        terrain->StartGeneration(size, 1, seaShare, size.Width(), size.Height());
        std::vector<int32_t> before;
        for (int32_t x = 0; x < size.Width(); ++x) {
            for (int32_t y = 0; y < size.Height(); ++y) {
                const int32_t height = static_cast<int32_t>(random() % spread) - spread / 2;
                terrain->SetHeight(x, y, height);
                oracle->At(x, y) = height;
                before.push_back(height);
            }
        }
        SCOPED_TRACE(testing::Message() << "trial " << trial << ", " << size.Width() << " x "
                                        << size.Height() << ", sea " << seaShare);
        const bool itsOwn = trial % 2 == 0;
        const int32_t seaTop =
            itsOwn ? HighestSea(*oracle, size, seaShare * 100) : before[random() % before.size()];
        std::vector<int32_t> reports;
        terrain->FinishAtSea(size, seaTop, [&](int32_t seaCells) { reports.push_back(seaCells); });
        if (itsOwn) {
            ASSERT_EQ(reports, FinishPassByPass(*oracle, size, seaShare * 100));
        }
        int32_t sea = 0;
        for (int32_t x = 0; x < size.Width(); ++x) {
            for (int32_t y = 0; y < size.Height(); ++y) {
                const int32_t height = terrain->Heights().At(x, y);
                if (itsOwn) {
                    ASSERT_EQ(height, oracle->At(x, y));
                }
                ASSERT_EQ(height <= 0, before[x * size.Height() + y] <= seaTop);
                ASSERT_GE(height, -100);
                ASSERT_LE(height, 100);
                sea += height <= 0 ? 1 : 0;
            }
        }
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(reports.back(), sea);
    }
}

TEST_F(Generation, IterationCountsFollowTheInputs) {
    struct Case {
        int32_t width, height, roughness, total;
    };
    for (const Case& c : {Case{160, 120, 1, 784}, Case{160, 120, 5, 3920},
                          Case{1000, 700, 3, 43200}, Case{1280, 1024, 5, 133070}}) {
        terrain->StartGeneration(MapSize(c.width, c.height), c.roughness, 5, c.width, c.height);
        EXPECT_EQ(terrain->Job().TotalIterations, c.total) << c.width << " x " << c.height;
        EXPECT_EQ(terrain->Job().SeaTarget, 500);
        EXPECT_EQ(terrain->Job().IterationsDone, 0);
    }
    // The count comes from the inputs even where they differ from the map.
    terrain->StartGeneration(MapSize(10, 10), 2, 9, 160, 120);
    EXPECT_EQ(terrain->Job().TotalIterations, 2 * 384 + 800);
    EXPECT_EQ(terrain->Job().SeaTarget, 900);
}

TEST_F(Generation, StartZeroesOnlyTheMapsCorner) {
    terrain->SetHeight(3, 2, 5);
    terrain->SetHeight(4, 0, 6);
    terrain->SetHeight(0, 3, 7);
    terrain->StartGeneration(MapSize(4, 3), 1, 5, 160, 120);
    EXPECT_EQ(terrain->Heights().At(3, 2), 0);
    EXPECT_EQ(terrain->Heights().At(4, 0), 6);
    EXPECT_EQ(terrain->Heights().At(0, 3), 7);
}

TEST_F(Generation, RefusesWhatTheGridsCannotHoldBeforeTouchingAnything) {
    EXPECT_THROW(MapSize(0, 1), ERangeError);
    EXPECT_THROW(MapSize(1, 0), ERangeError);
    EXPECT_THROW(MapSize(16386, 1), ERangeError);
    EXPECT_THROW(MapSize(1, 16386), ERangeError);
    EXPECT_NO_THROW(MapSize(16385, 16385));

    terrain->StartGeneration(MapSize(4, 3), 2, 3, 160, 120);
    terrain->SetHeight(1, 1, 9);
    const MapSize size(4, 3);
    EXPECT_THROW(terrain->StartGeneration(size, 0, 5, 160, 120), ERangeError);
    EXPECT_THROW(terrain->StartGeneration(size, 6, 5, 160, 120), ERangeError);
    EXPECT_THROW(terrain->StartGeneration(size, 1, 0, 160, 120), ERangeError);
    EXPECT_THROW(terrain->StartGeneration(size, 1, 10, 160, 120), ERangeError);
    EXPECT_THROW(terrain->StartGeneration(size, 1, 5, 16386, 120), ERangeError);
    EXPECT_THROW(terrain->StartGeneration(size, 1, 5, 160, 0), ERangeError);
    // The program's generator holds its windows' largest map, no more.
    const MapSize wider(1281, 3);
    EXPECT_THROW(terrain->StartGeneration(wider, 1, 5, 160, 120), ERangeError);
    EXPECT_THROW(terrain->CircleIteration(wider), ERangeError);
    EXPECT_THROW(terrain->FinishGeneration(MapSize(4, 1025), {}), ERangeError);
    EXPECT_EQ(terrain->Heights().At(1, 1), 9);
    EXPECT_EQ(terrain->Job().TotalIterations, 2 * 384 + 800);
    EXPECT_EQ(terrain->Job().SeaTarget, 300);
}

TEST_F(Generation, FinishRescalesToHundredThenLowers) {
    const MapSize size(5, 1);
    terrain->StartGeneration(size, 1, 1, 5, 1);
    SetRows(size, {-7, 13, 0, 3, -6});
    // Rescaled to 0, 100, 35, 50, 5; one pass makes 1 of 5 cells sea.
    EXPECT_EQ(Finish(size), std::vector<int32_t>{1});
    const std::vector<int32_t> expected{-1, 99, 34, 49, 4};
    for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(terrain->Heights().At(x, 0), expected[x]);
}

TEST_F(Generation, LoweringStopsAtTheFirstPassThatReachesTheTarget) {
    const MapSize size(160, 120);
    terrain->StartGeneration(size, 1, 5, 160, 120);
    // Already 0..100, so the rescale keeps them: after one pass 9,599 cells
    // are sea (499 per mille), after two 9,600 (500).
    std::vector<int32_t> heights(19200, 100);
    heights[0] = 0;
    std::fill_n(heights.begin() + 1, 9598, 1);
    heights[9599] = 2;
    SetRows(size, heights);
    EXPECT_EQ(Finish(size), (std::vector<int32_t>{9599, 9600}));
}

TEST_F(Generation, FlatFieldBecomesAllSeaInOnePass) {
    const MapSize size(30, 20);
    terrain->StartGeneration(size, 1, 9, 30, 20);
    EXPECT_EQ(Finish(size), std::vector<int32_t>{600});
    EXPECT_EQ(terrain->Heights().At(29, 19), -1);
}

TEST_F(Generation, CompletedRunEndsBetweenMinusKAndHundredMinusK) {
    const MapSize size(160, 120);
    for (int32_t seaShare : {1, 5, 9}) {
        terrain->StartGeneration(size, 1, seaShare, 160, 120);
        terrain->CompleteIterations(size);
        const std::vector<int32_t> reports = Finish(size);
        const auto passes = static_cast<int32_t>(reports.size());
        ASSERT_GE(passes, 1);
        ASSERT_LE(passes, 100);
        EXPECT_GE(int64_t{reports.back()} * 1000 / size.Cells(), seaShare * 100);
        for (std::size_t i = 0; i + 1 < reports.size(); ++i) {
            EXPECT_LT(int64_t{reports[i]} * 1000 / size.Cells(), seaShare * 100);
        }

        int32_t highest = INT32_MIN, lowest = INT32_MAX;
        for (int32_t x = 0; x < 160; ++x) {
            for (int32_t y = 0; y < 120; ++y) {
                highest = std::max(highest, terrain->Heights().At(x, y));
                lowest = std::min(lowest, terrain->Heights().At(x, y));
            }
        }
        EXPECT_EQ(highest, 100 - passes);
        EXPECT_EQ(lowest, -passes);
    }
}

TEST_F(Generation, LowerAllCellsHasNoFloor) {
    const MapSize size(3, 2);
    terrain->StartGeneration(size, 1, 5, 3, 2);
    for (int i = 0; i < 250; ++i) terrain->LowerAllCells(size);
    EXPECT_EQ(terrain->Heights().At(2, 1), -250);
    EXPECT_EQ(terrain->Heights().At(3, 0), 0);
}

}  // namespace
}  // namespace morvik
