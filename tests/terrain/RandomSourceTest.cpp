#include "terrain/RandomSource.h"

#include <gtest/gtest.h>

#include <vector>

namespace morvik {
namespace {

TEST(RandomSource, StateAdvancesOneStepPerNumberWhateverTheRange) {
    RandomSource random;
    EXPECT_EQ(random.RandomState(), 0u);
    random.RandomBelow(0);
    EXPECT_EQ(random.RandomState(), 1u);
    random.RandomBelow(4294967295u);
    EXPECT_EQ(random.RandomState(), 134775814u);
    random.RandomBelow(7);
    EXPECT_EQ(random.RandomState(), 3698175007u);
}

TEST(RandomSource, NumbersScaleTheStateToTheRange) {
    RandomSource random;
    std::vector<uint32_t> taken;
    for (int i = 0; i < 5; ++i) taken.push_back(random.RandomBelow(1000));
    EXPECT_EQ(taken, (std::vector<uint32_t>{0, 31, 861, 202, 272}));

    RandomSource full;
    EXPECT_EQ(full.RandomBelow(4294967295u), 0u);
    EXPECT_EQ(full.RandomBelow(4294967295u), 134775813u);
    const uint32_t third = full.RandomBelow(4294967295u);
    EXPECT_EQ(third, 3698175006u);
    EXPECT_LT(static_cast<int32_t>(third), 0) << "read as signed, the third number is negative";
}

TEST(RandomSource, DegenerateRangesGiveZero) {
    RandomSource random;
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(random.RandomBelow(1), 0u);
        ASSERT_EQ(random.RandomBelow(0), 0u);
    }
}

}  // namespace
}  // namespace morvik
