#include "terrain/ColourTable.h"

#include <gtest/gtest.h>

namespace morvik {
namespace {

TEST(ColourTable, BlendsLandAndSeaBetweenTheEndpoints) {
    ColourTable table;
    table.Fill(ColourEndpoints);
    EXPECT_EQ(table.Colour(100), 0x00000078u);
    EXPECT_EQ(table.Colour(99), 0x00010278u);
    EXPECT_EQ(table.Colour(50), 0x0040787Cu);
    EXPECT_EQ(table.Colour(1), 0x007EED7Fu);
    EXPECT_EQ(table.Colour(0), 0x00F0603Cu) << "height 0 is sea";
    EXPECT_EQ(table.Colour(-1), 0x00ED5F3Bu);
    EXPECT_EQ(table.Colour(-50), 0x00884026u);
    EXPECT_EQ(table.Colour(-99), 0x00222010u);
    EXPECT_EQ(table.Colour(-100), 0x00202010u);
}

TEST(ColourTable, EverythingBeyondHundredIsBlack) {
    ColourTable table;
    EXPECT_EQ(table.Colour(0), 0u) << "empty until filled";
    table.Fill(ColourEndpoints);
    for (int32_t height : {101, 200, -101, -200, 201, -201, INT32_MAX, INT32_MIN}) {
        EXPECT_EQ(table.Colour(height), 0u) << height;
    }
}

}  // namespace
}  // namespace morvik
