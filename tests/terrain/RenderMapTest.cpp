#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "terrain/ERangeError.h"
#include "terrain/Terrain.h"

namespace morvik {
namespace {

class RenderMapTest : public testing::Test {
  protected:
    RenderMapTest() { terrain->BuildColourTable(); }

    FixedTickSource ticks{1000};
    std::unique_ptr<Terrain> terrain = std::make_unique<Terrain>(ticks, kLargestProgramMap);
};

TEST_F(RenderMapTest, UntouchedFieldIsSeaSurfaceEverywhere) {
    const MapSize size(16, 12);
    std::vector<uint32_t> pixels(16 * 12, 0xDEADBEEF);
    const HeightExtremes extremes = terrain->RenderMap(PixelView(pixels.data(), 16, size));
    EXPECT_EQ(extremes.highest, 0);
    EXPECT_EQ(extremes.lowest, 0);
    for (uint32_t pixel : pixels) ASSERT_EQ(pixel, 0x00F0603Cu);
}

TEST_F(RenderMapTest, DrawsEachCellAtItsPixelAndReportsEveryExtreme) {
    const MapSize size(3, 2);
    terrain->SetHeight(0, 0, 100);
    terrain->SetHeight(2, 0, -100);
    terrain->SetHeight(1, 1, 5000);  // beyond the table: black, but still reported
    terrain->SetHeight(2, 1, -201);
    // Rows longer than the map, in a bitmap that wants its top byte set.
    std::vector<uint32_t> pixels(5 * 2, 0x12345678);
    const HeightExtremes extremes = terrain->RenderMap(PixelView(pixels.data(), 5, size, 0xFF));
    EXPECT_EQ(extremes.highest, 5000);
    EXPECT_EQ(extremes.lowest, -201);
    const std::vector<uint32_t> expected{
        0xFF000078, 0xFFF0603C, 0xFF202010, 0x12345678, 0x12345678,
        0xFFF0603C, 0xFF000000, 0xFF000000, 0x12345678, 0x12345678,
    };
    EXPECT_EQ(pixels, expected);
}

TEST_F(RenderMapTest, LoweringShiftsTheExtremesAndColours) {
    const MapSize size(4, 1);
    for (int32_t x = 0; x < 4; ++x) terrain->SetHeight(x, 0, 30 * x - 40);
    std::vector<uint32_t> before(4), after(4);
    const HeightExtremes first = terrain->RenderMap(PixelView(before.data(), 4, size));
    terrain->LowerAllCells(size);
    const HeightExtremes second = terrain->RenderMap(PixelView(after.data(), 4, size));
    EXPECT_EQ(second.highest, first.highest - 1);
    EXPECT_EQ(second.lowest, first.lowest - 1);
    for (int32_t x = 0; x < 4; ++x) {
        EXPECT_EQ(after[x], terrain->Colours().Colour(30 * x - 41));
        EXPECT_NE(after[x], before[x]);
    }
}

TEST(PixelView, RefusesRowsThatCannotHoldTheMap) {
    std::vector<uint32_t> pixels(100);
    EXPECT_THROW(PixelView(pixels.data(), 9, MapSize(10, 10)), ERangeError);
    EXPECT_THROW(PixelView(nullptr, 10, MapSize(10, 10)), ERangeError);
}

}  // namespace
}  // namespace morvik
