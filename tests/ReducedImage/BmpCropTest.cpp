#include "components/ReducedImage/BmpCrop.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

#include "components/ReducedImage/ColourReduction.h"
#include "tests/ReducedImage/BmpBuilder.h"

namespace morvik {
namespace {

// Reduced pictures of 4 and 8 bits, cut at every parity of edge: each piece
// shows what the picture shows there, and is a file of its own.
TEST(CropBmpImage, APieceShowsThePictureThere) {
    std::mt19937 random(5);
    const std::vector<uint8_t> picture = MakeGradientBmp();
    for (const int32_t colours : {16, 256}) {
        const Reduction reduction = ReduceImage(picture, colours);
        const BmpHeader whole = ReadBmpHeader(reduction.image);
        ASSERT_EQ(whole.biBitCount, colours == 16 ? 4 : 8);
        const std::vector<uint32_t> shown = DecodeAll(reduction.image);
        for (int trial = 0; trial < 50; ++trial) {
            const auto left = static_cast<int32_t>(random() % 64);
            const auto top = static_cast<int32_t>(random() % 64);
            const BmpRect rect{left, top, 1 + static_cast<int32_t>(random() % (64 - left)),
                               1 + static_cast<int32_t>(random() % (64 - top))};
            const std::vector<uint8_t> piece = CropBmpImage(reduction.image, rect);
            ASSERT_TRUE(IsValidBmpImage(piece));
            const BmpHeader header = ReadBmpHeader(piece);
            EXPECT_EQ(header.bfSize, static_cast<int32_t>(piece.size()));
            EXPECT_EQ(header.biBitCount, whole.biBitCount);
            EXPECT_EQ(header.biClrUsed, whole.biClrUsed);
            const std::vector<uint32_t> pieceShown = DecodeAll(piece);
            for (int32_t y = 0; y < rect.height; ++y) {
                for (int32_t x = 0; x < rect.width; ++x) {
                    // Stored rows count from the bottom in both.
                    const int32_t wholeRow = 63 - (top + y);
                    const int32_t pieceRow = rect.height - 1 - y;
                    ASSERT_EQ(pieceShown[pieceRow * rect.width + x],
                              shown[wholeRow * 64 + left + x])
                        << colours << " colours, (" << x << ", " << y << ") of a piece at " << left
                        << ", " << top;
                }
            }
        }
    }
}

TEST(CropBmpImage, RefusesWhatItCannotCut) {
    const Reduction reduction = ReduceImage(MakeGradientBmp(), 256);
    EXPECT_THROW(CropBmpImage(reduction.image, {60, 0, 5, 1}), std::invalid_argument);
    EXPECT_THROW(CropBmpImage(reduction.image, {0, 0, 0, 1}), std::invalid_argument);
    EXPECT_THROW(CropBmpImage(reduction.image, {-1, 0, 2, 2}), std::invalid_argument);
    EXPECT_THROW(CropBmpImage(MakeGradientBmp(), {0, 0, 2, 2}), std::invalid_argument);
    std::vector<uint8_t> cut = reduction.image;
    cut.resize(cut.size() / 2);
    EXPECT_THROW(CropBmpImage(cut, {0, 0, 2, 2}), std::invalid_argument);
}

}  // namespace
}  // namespace morvik
