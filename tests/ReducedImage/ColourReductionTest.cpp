#include "components/ReducedImage/ColourReduction.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <stdexcept>
#include <vector>

#include "tests/ReducedImage/BmpBuilder.h"

namespace morvik {
namespace {

uint32_t Grey(uint32_t v) { return v | v << 8 | v << 16; }

std::vector<uint32_t> Palette(const std::vector<uint8_t>& image) {
    const BmpHeader header = ReadBmpHeader(image);
    std::vector<uint32_t> palette;
    for (int32_t i = 0; i < header.biClrUsed; ++i) {
        const std::size_t at = kBmpHeadersSize + 4 * i;
        palette.push_back(image[at] | image[at + 1] << 8 | image[at + 2] << 16);
    }
    return palette;
}

TEST(QuantiseColour, DitherOffsetsSplitMidGrey) {
    const uint32_t level16 = 16 + 32 * 16 + 32 * 32 * 16;
    const uint32_t level15 = 15 + 32 * 15 + 32 * 32 * 15;
    EXPECT_EQ(QuantiseColour(Grey(128), 32, kNoDither), level16);
    EXPECT_EQ(QuantiseColour(Grey(128), 32, 0), level15);
    EXPECT_EQ(QuantiseColour(Grey(128), 32, 1), level15);
    EXPECT_EQ(QuantiseColour(Grey(128), 32, 2), level16);
    EXPECT_EQ(QuantiseColour(Grey(128), 32, 3), level16);
    EXPECT_EQ(QuantiseColour(0xFF000000 | Grey(128), 32, kNoDither), level16)
        << "the top byte is ignored";
    EXPECT_EQ(QuantiseColour(0x0000FF, 32, kNoDither), 31u);
    EXPECT_EQ(QuantiseColour(0xFF0000, 32, kNoDither), 31u * 32 * 32);
}

TEST(QuantiseColour, BlackAndWhiteAreNeverDithered) {
    for (int32_t levels = 2; levels <= 32; ++levels) {
        const auto top = static_cast<uint32_t>(levels - 1);
        const uint32_t whiteCell = top + levels * top + levels * levels * top;
        for (int32_t d = kNoDither; d <= 3; ++d) {
            ASSERT_EQ(QuantiseColour(0, levels, d), 0u);
            ASSERT_EQ(QuantiseColour(0xFFFFFF, levels, d), whiteCell) << levels << " " << d;
        }
    }
}

TEST(LatticeColour, LevelsSpreadOverTheChannel) {
    EXPECT_EQ(LatticeColour(1, 32), 0x000008u);
    EXPECT_EQ(LatticeColour(15 * 32, 32), 0x007B00u);
    EXPECT_EQ(LatticeColour(16 * 32 * 32, 32), 0x830000u);
    EXPECT_EQ(LatticeColour(32767, 32), 0xFFFFFFu);
    EXPECT_EQ(LatticeColour(7, 2), 0xFFFFFFu);
    // Every 32-level lattice colour falls back into its own cell.
    for (uint32_t cell = 0; cell < 32768; ++cell) {
        ASSERT_EQ(QuantiseColour(LatticeColour(cell, 32), 32, kNoDither), cell);
    }
}

TEST(LatticeColour, LevelsOutsideTwoToThirtyTwoAreRefused) {
    for (const int32_t levels : {-1, 0, 1, 33, 1000}) {
        EXPECT_THROW(LatticeColour(0, levels), std::invalid_argument) << levels;
        EXPECT_THROW(QuantiseColour(0, levels, kNoDither), std::invalid_argument) << levels;
    }
    const std::vector<uint8_t> image = MakeGradientBmp();
    ColourReducer reducer(image, 8);
    EXPECT_THROW(reducer.CountingPass(33, false), std::invalid_argument);
    EXPECT_NO_THROW(reducer.CountingPass(kFewestLevels, true));
}

TEST(ReduceImage, BlackAndWhitePair) {
    const Reduction reduction =
        ReduceImage(MakeBmp24(2, 1, [](int32_t x, int32_t) { return x == 0 ? 0 : 0xFFFFFF; }), 8);
    const BmpHeader header = ReadBmpHeader(reduction.image);
    EXPECT_EQ(header.biBitCount, 4);
    EXPECT_EQ(header.bfOffBits, 62);
    EXPECT_EQ(header.bfSize, 66);
    EXPECT_EQ(reduction.image.size(), 66u);
    EXPECT_EQ(header.biClrUsed, 2);
    EXPECT_EQ(reduction.colourCount, 2);
    EXPECT_EQ(reduction.sourceColours, 2);
    EXPECT_EQ(reduction.levels, 32);
    EXPECT_EQ(Palette(reduction.image), (std::vector<uint32_t>{0, 0xFFFFFF}));
    EXPECT_EQ(std::vector<uint8_t>(reduction.image.begin() + 62, reduction.image.end()),
              (std::vector<uint8_t>{0x01, 0, 0, 0}));
    EXPECT_TRUE(IsValidBmpImage(reduction.image));
}

TEST(ReduceImage, RequestsAreClampedAndChooseTheDepth) {
    // 32 greys, one per column and one per cell: more than 16, fewer than 256.
    const std::vector<uint8_t> greys =
        MakeBmp24(32, 3, [](int32_t x, int32_t) { return Grey(static_cast<uint32_t>(8 * x)); });
    EXPECT_EQ(ReduceImage(greys, 1).image, ReduceImage(greys, 8).image);
    EXPECT_EQ(ReduceImage(greys, 1000).image, ReduceImage(greys, 256).image);
    EXPECT_EQ(ReadBmpHeader(ReduceImage(greys, 16).image).biBitCount, 4);
    EXPECT_EQ(ReadBmpHeader(ReduceImage(greys, 17).image).biBitCount, 8);
    EXPECT_LE(ReduceImage(greys, 1).colourCount, 8);
    EXPECT_EQ(ReduceImage(greys, 256).colourCount, 32);
}

TEST(ReduceImage, OneGreySnapsToTheLattice) {
    const Reduction reduction =
        ReduceImage(MakeBmp24(5, 4, [](int32_t, int32_t) { return Grey(128); }), 256);
    EXPECT_EQ(Palette(reduction.image), std::vector<uint32_t>{Grey(131)});
    EXPECT_EQ(ReadBmpHeader(reduction.image).biBitCount, 8);
}

TEST(ColourReducer, DitherAlternatesByStoredRow) {
    const std::vector<uint8_t> grey = MakeBmp24(4, 4, [](int32_t, int32_t) { return Grey(128); });
    ColourReducer reducer(grey, 8);
    EXPECT_EQ(reducer.CountingPass(32, true), 2);
    const std::vector<uint32_t> colours = DecodeAll(reducer.Result(1).image);
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 4; ++x) {
            EXPECT_EQ(colours[4 * y + x], Grey(y % 2 == 0 ? 123 : 131)) << x << ", " << y;
        }
    }
}

TEST(ColourReducer, GradientCountsOfEveryTrial) {
    const std::vector<uint8_t> gradient = MakeGradientBmp();
    ColourReducer reducer(gradient, 8);
    EXPECT_EQ(reducer.CountingPass(32, false), 272);
    EXPECT_EQ(reducer.CountingPass(32, true), 265);
    EXPECT_EQ(reducer.CountingPass(17, true), 271);
    EXPECT_EQ(reducer.CountingPass(9, true), 121);
    EXPECT_EQ(reducer.CountingPass(13, true), 253);
    EXPECT_EQ(reducer.CountingPass(15, true), 262);
    EXPECT_EQ(reducer.CountingPass(14, true), 272);
}

TEST(ReduceImage, GradientEndsDitheredAtTheLevelsThatFit) {
    const std::vector<uint8_t> gradient = MakeGradientBmp();
    const Reduction reduction = ReduceImage(gradient, 256);
    EXPECT_EQ(reduction.sourceColours, 272);
    EXPECT_EQ(reduction.colourCount, 253);
    EXPECT_EQ(reduction.levels, 13);
    ASSERT_TRUE(IsValidBmpImage(reduction.image));
    EXPECT_EQ(ReadBmpHeader(reduction.image).biClrUsed, 253);

    // The pixels belong to the pass at 13 levels, not to the last trial at 14.
    const std::vector<uint32_t> source = DecodeAll(gradient);
    const std::vector<uint32_t> result = DecodeAll(reduction.image);
    for (int32_t y = 0; y < 64; ++y) {
        for (int32_t x = 0; x < 64; ++x) {
            const uint32_t cell = QuantiseColour(source[64 * y + x], 13, x % 2 + 2 * (y % 2));
            ASSERT_EQ(result[64 * y + x], LatticeColour(cell, 13)) << x << ", " << y;
        }
    }
    EXPECT_EQ(Palette(reduction.image)[0], result[0]) << "the scan starts at the bottom left";
}

TEST(ReduceImage, NoiseFallsToTheCornersOfTheCube) {
    std::mt19937 engine(3);
    const std::vector<uint8_t> noise =
        MakeBmp24(64, 64, [&](int32_t, int32_t) { return engine() & 0xFFFFFF; });
    const Reduction reduction = ReduceImage(noise, 8);
    EXPECT_EQ(reduction.levels, 2);
    EXPECT_LE(reduction.colourCount, 8);
    EXPECT_GT(reduction.sourceColours, 256);
    for (uint32_t colour : Palette(reduction.image)) {
        for (int shift : {0, 8, 16}) {
            const uint32_t channel = colour >> shift & 0xFF;
            EXPECT_TRUE(channel == 0 || channel == 255) << std::hex << colour;
        }
    }
}

TEST(ReduceImage, ReducingALatticeImageAgainChangesNothing) {
    const std::vector<uint8_t> picture = MakeBmp24(33, 7, [](int32_t x, int32_t y) {
        return static_cast<uint32_t>(x * 7 | (y * 30) << 8 | (x * y) << 16);
    });
    const Reduction first = ReduceImage(picture, 256);
    ASSERT_EQ(first.levels, 32);
    const Reduction second = ReduceImage(first.image, 256);
    EXPECT_EQ(second.image, first.image);
    EXPECT_EQ(second.colourCount, first.colourCount);
}

TEST(ReduceImage, PalettedSourcesAreDecodedThroughTheirTable) {
    const std::vector<uint8_t> eight =
        MakeBmp(3, 8, {{0, 1, 2}, {2, 2, 2}}, {0x000001, 0x808080, 0xFFFFFF});
    const Reduction reduction = ReduceImage(eight, 256);
    EXPECT_EQ(Palette(reduction.image), (std::vector<uint32_t>{0, Grey(131), 0xFFFFFF}));
    const std::vector<uint32_t> colours = DecodeAll(reduction.image);
    EXPECT_EQ(colours,
              (std::vector<uint32_t>{0, Grey(131), 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF}));
    const std::vector<uint8_t> one = MakeBmp(10, 1, {{0xF0, 0x40}, {0x00, 0x00}});
    const Reduction bits = ReduceImage(one, 16);
    EXPECT_EQ(ReadBmpHeader(bits.image).biBitCount, 4);
    EXPECT_EQ(Palette(bits.image), (std::vector<uint32_t>{0xFFFFFF, 0}));
}

}  // namespace
}  // namespace morvik
