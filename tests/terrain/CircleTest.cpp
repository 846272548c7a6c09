#include "terrain/Circle.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "terrain/Heightmap.h"
#include "terrain/SeaLevel.h"
#include "terrain/Terrain.h"
#include "tests/terrain/CircleOracle.h"
#include "tests/terrain/TerrainTestSupport.h"

namespace morvik {
namespace {

TEST(CircleFromNumbers, WorkedExampleOnFourByThree) {
    const Circle circle = CircleFromNumbers(MapSize(4, 3), 7, 5, 15, 11);
    EXPECT_EQ(circle.sign, 1);
    EXPECT_EQ(circle.radius, 2);
    EXPECT_EQ(circle.offX, -1);
    EXPECT_EQ(circle.offY, -1);
}

TEST(CircleFromNumbers, NegativeNumbersKeepTheSignOfTheDividend) {
    const MapSize size(160, 120);
    EXPECT_EQ(CircleFromNumbers(size, -3, 0, 0, 0).sign, -1);
    EXPECT_EQ(CircleFromNumbers(size, -2, 0, 0, 0).sign, -1);
    EXPECT_EQ(CircleFromNumbers(size, 0, 0, 0, 0).sign, -1);
    EXPECT_EQ(CircleFromNumbers(size, 3, 0, 0, 0).sign, 1);

    const Circle negative = CircleFromNumbers(size, 1, -141, -481, -361);
    EXPECT_EQ(negative.radius, -1);      // -141 mod 140
    EXPECT_EQ(negative.offX, -1 - 160);  // -481 mod 480 = -1
    EXPECT_EQ(negative.offY, -1 - 120);  // -361 mod 360 = -1
    const Circle lowest = CircleFromNumbers(size, 1, 0, INT32_MIN, INT32_MIN);
    EXPECT_GT(lowest.offX, -4 * 160);
    EXPECT_LE(lowest.offX, -160);
    EXPECT_GT(lowest.offY, -4 * 120);
}

struct FieldChange {
    std::unique_ptr<HeightField> field = std::make_unique<HeightField>(kLargestProgramMap, 1);

    std::vector<std::vector<int32_t>> Rows(MapSize size) {
        const CellGrid& cells = field->Cells();
        std::vector<std::vector<int32_t>> rows(size.Height());
        for (int32_t y = 0; y < size.Height(); ++y) {
            for (int32_t x = 0; x < size.Width(); ++x) rows[y].push_back(cells.At(x, y));
        }
        return rows;
    }
};

TEST(ApplyCircle, WorkedIterationOnFourByThree) {
    const MapSize size(4, 3);
    FieldChange change;
    ApplyCircle(*change.field, size, CircleFromNumbers(size, 7, 5, 15, 11));
    const std::vector<std::vector<int32_t>> expected{
        {1, 1, 1, -1},
        {1, 1, 1, 0},  // (3, 1) lies exactly on the circle
        {1, 1, 1, -1},
    };
    EXPECT_EQ(change.Rows(size), expected);
}

TEST(ApplyCircle, ZeroRadiusLeavesOnlyTheCentre) {
    const MapSize size(3, 3);
    FieldChange change;
    ApplyCircle(*change.field, size, Circle{.sign = 1, .radius = 0, .offX = -1, .offY = -2});
    const std::vector<std::vector<int32_t>> expected{{-1, -1, -1}, {-1, -1, -1}, {-1, 0, -1}};
    EXPECT_EQ(change.Rows(size), expected);
}

// Random circles on random maps, applied both ways; both fields must agree
// after every few circles, and neither may touch a cell outside its corner.
TEST(ApplyCircle, AgreesWithTheCellByCellLoop) {
    std::mt19937 engine(20261208);
    std::vector<MapSize> sizes{MapSize(1, 1),       MapSize(1, 1024), MapSize(1280, 1),
                               MapSize(1280, 1024), MapSize(2, 3),    MapSize(160, 120)};
    std::uniform_int_distribution<int32_t> width(1, 1280), height(1, 1024), smallSide(1, 40);
    for (int i = 0; i < 20; ++i) sizes.emplace_back(width(engine), height(engine));
    for (int i = 0; i < 20; ++i) sizes.emplace_back(smallSide(engine), smallSide(engine));

    for (const MapSize size : sizes) {
        auto fast = std::make_unique<HeightField>(kLargestProgramMap, 1);
        auto oracle = std::make_unique<CellGrid>(kLargestProgramMap);
        const int circles = size.Cells() > 100000 ? 6 : 60;
        for (int i = 0; i < circles; ++i) {
            // Full 32-bit numbers, negatives included, and small ones.
            const auto take = [&] {
                const auto value = static_cast<int32_t>(engine());
                return i % 3 == 0 ? value % 8 : value;
            };
            const int32_t d1 = take(), d2 = take(), d3 = take(), d4 = take();
            const Circle circle = CircleFromNumbers(size, d1, d2, d3, d4);
            ApplyCircle(*fast, size, circle);
            ApplyCircleCellByCell(*oracle, size, circle);
            if (i % 5 == 4) {
                ASSERT_TRUE(SameCorner(fast->Cells(), *oracle, size));
            }
        }
        ASSERT_TRUE(SameCorner(fast->Cells(), *oracle, size));
        EXPECT_TRUE(UntouchedOutside(fast->Cells(), size));
    }
}

// Circles centred on and around the map with every radius up to the largest,
// so that every clipping case at the edges comes up.
TEST(ApplyCircle, AgreesWithTheCellByCellLoopAtTheEdges) {
    const MapSize size(7, 5);
    auto fast = std::make_unique<HeightField>(kLargestProgramMap, 1);
    auto oracle = std::make_unique<CellGrid>(kLargestProgramMap);
    for (int32_t radius = -6; radius <= 6; ++radius) {
        for (int32_t offX = -4 * 7 + 1; offX < 2 * 7; ++offX) {
            for (int32_t offY = -4 * 5 + 1; offY < 2 * 5; ++offY) {
                const Circle circle{
                    .sign = radius % 2 ? 1 : -1, .radius = radius, .offX = offX, .offY = offY};
                ApplyCircle(*fast, size, circle);
                ApplyCircleCellByCell(*oracle, size, circle);
                ASSERT_TRUE(SameCorner(fast->Cells(), *oracle, size))
                    << "radius " << radius << " offset " << offX << ", " << offY;
            }
        }
    }
}

// Round a wrapped edge: every centre and radius on maps of odd and even
// sides, where the column and the row half way round are one each.
TEST(ApplyCircle, AgreesWithTheCellByCellLoopRoundTheWrap) {
    for (const Wrap wrap : {Wrap::kX, Wrap::kXY}) {
        for (const MapSize size : {MapSize(7, 5), MapSize(6, 4), MapSize(1, 2), MapSize(2, 1)}) {
            auto fast = std::make_unique<HeightField>(kLargestProgramMap, 1);
            auto oracle = std::make_unique<CellGrid>(kLargestProgramMap);
            const int32_t w = size.Width(), h = size.Height();
            for (int32_t radius = -(w + h); radius <= w + h; ++radius) {
                for (int32_t offX = -4 * w + 1; offX < 2 * w; ++offX) {
                    for (int32_t offY = -4 * h + 1; offY < 2 * h; ++offY) {
                        const Circle circle{.sign = radius % 2 ? 1 : -1,
                                            .radius = radius,
                                            .offX = offX,
                                            .offY = offY};
                        ApplyCircle(*fast, size, circle, wrap);
                        ApplyCircleCellByCell(*oracle, size, circle, wrap);
                        ASSERT_TRUE(SameCorner(fast->Cells(), *oracle, size))
                            << (wrap == Wrap::kX ? "x" : "xy") << " " << w << "x" << h << " radius "
                            << radius << " offset " << offX << ", " << offY;
                    }
                }
            }
        }
    }
}

TEST(ApplyCircle, AgreesWithTheCellByCellLoopRoundTheWrapOnRandomMaps) {
    std::mt19937 engine(20261209);
    std::uniform_int_distribution<int32_t> side(1, 90);
    for (int i = 0; i < 40; ++i) {
        const MapSize size(side(engine), side(engine));
        const Wrap wrap = i % 2 ? Wrap::kX : Wrap::kXY;
        auto fast = std::make_unique<HeightField>(kLargestProgramMap, 1);
        auto oracle = std::make_unique<CellGrid>(kLargestProgramMap);
        for (int j = 0; j < 40; ++j) {
            const auto take = [&] { return static_cast<int32_t>(engine()); };
            const int32_t d1 = take(), d2 = take(), d3 = take(), d4 = take();
            const Circle circle = CircleFromNumbers(size, d1, d2, d3, d4);
            ApplyCircle(*fast, size, circle, wrap);
            ApplyCircleCellByCell(*oracle, size, circle, wrap);
        }
        ASSERT_TRUE(SameCorner(fast->Cells(), *oracle, size))
            << size.Width() << "x" << size.Height();
        EXPECT_TRUE(UntouchedOutside(fast->Cells(), size));
    }
}

// The same few circles over and over, as a run whose clock stands nearly
// still takes them: the differences at their edges pile up, in both
// directions, far past the +-127 a byte holds, between reads.
TEST(ApplyCircle, AgreesWithTheCellByCellLoopWhenTheSameCirclesRepeat) {
    const MapSize size(23, 17);
    auto fast = std::make_unique<HeightField>(kLargestProgramMap, 1);
    auto oracle = std::make_unique<CellGrid>(kLargestProgramMap);
    std::mt19937 engine(1208);
    std::uniform_int_distribution<int32_t> radius(0, 19), offX(-30, 5), offY(-22, 4);
    for (int round = 0; round < 12; ++round) {
        const Circle circle{.sign = round % 3 == 0 ? -1 : 1,
                            .radius = radius(engine),
                            .offX = offX(engine),
                            .offY = offY(engine)};
        for (int i = 0; i < 100 + 50 * round; ++i) {
            ApplyCircle(*fast, size, circle);
            ApplyCircleCellByCell(*oracle, size, circle);
        }
        if (round % 4 == 3) {
            ASSERT_TRUE(SameCorner(fast->Cells(), *oracle, size));
        }
    }
    ASSERT_TRUE(SameCorner(fast->Cells(), *oracle, size));
    EXPECT_TRUE(UntouchedOutside(fast->Cells(), size));
}

// A whole generator against the oracle fed by a replay of the same ticks:
// heights read in the middle of a run (an abort) and again after more
// iterations, on two map sizes in turn.
TEST(CircleIteration, MatchesTheCellByCellLoopAcrossReads) {
    SeededTickSource ticks(7);
    SeededTickSource replay(7);
    auto terrain = std::make_unique<Terrain>(ticks, kLargestProgramMap);
    auto oracle = std::make_unique<CellGrid>(kLargestProgramMap);
    RandomSource random;
    const auto oracleIteration = [&](MapSize size) {
        int32_t numbers[4];
        for (int32_t& number : numbers)
            number = static_cast<int32_t>(random.RandomBelow(replay.Ticks()));
        ApplyCircleCellByCell(
            *oracle, size, CircleFromNumbers(size, numbers[0], numbers[1], numbers[2], numbers[3]));
    };

    for (const MapSize size : {MapSize(97, 61), MapSize(40, 130)}) {
        for (int i = 0; i < 300; ++i) {
            terrain->CircleIteration(size);
            oracleIteration(size);
            if (i == 20 || i == 150) {
                ASSERT_TRUE(SameCorner(terrain->Heights(), *oracle, size));
            }
        }
        ASSERT_TRUE(SameCorner(terrain->Heights(), *oracle, MapSize(97, 130)));
    }
    EXPECT_EQ(terrain->Job().IterationsDone, 600);
    EXPECT_EQ(terrain->Random().RandomState(), random.RandomState());
}

// The iterations at once, in batches and bands on any number of threads,
// against the same circles one by one, as the program takes them; the
// heightmap and the finished map too.
TEST(CompleteIterations, AnyNumberOfThreadsGivesTheOneByOneHeights) {
    const MapSize size(700, 130);  // six bands, the last one short
    for (const Wrap wrap : {Wrap::kNone, Wrap::kX, Wrap::kXY}) {
        SCOPED_TRACE(testing::Message() << "wrap " << static_cast<int>(wrap));
        SeededTickSource ticks(21);
        auto oneByOne = std::make_unique<Terrain>(ticks, size);
        oneByOne->StartGeneration(size, 5, 4, size.Width(), size.Height(), wrap);
        while (oneByOne->Job().IterationsDone < oneByOne->Job().TotalIterations) {
            oneByOne->CircleIteration(size);
        }
        const CellGrid expected = oneByOne->Heights();
        const Heightmap expectedMap =
            MakeHeightmap(expected, size, HighestSea(expected, size, 400));
        oneByOne->FinishGeneration(size, {});

        for (const int32_t threads : {1, 2, 3}) {
            SCOPED_TRACE(testing::Message() << threads << " threads");
            SeededTickSource replay(21);
            auto batched = std::make_unique<Terrain>(replay, size, threads);
            batched->StartGeneration(size, 5, 4, size.Width(), size.Height(), wrap);
            batched->CompleteIterations(size);
            EXPECT_EQ(batched->Job().IterationsDone, oneByOne->Job().TotalIterations);
            ASSERT_TRUE(SameCorner(batched->Heights(), expected, size));
            const Heightmap map = MakeHeightmap(batched->Heights(), size,
                                                HighestSea(batched->Heights(), size, 400), threads);
            EXPECT_EQ(map.values, expectedMap.values);
            EXPECT_EQ(map.seaLevel, expectedMap.seaLevel);
            batched->FinishGeneration(size, {});
            ASSERT_TRUE(SameCorner(batched->Heights(), oneByOne->Heights(), size));
        }
    }
}

}  // namespace
}  // namespace morvik
