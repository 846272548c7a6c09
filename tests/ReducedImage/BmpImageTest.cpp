#include "components/ReducedImage/BmpImage.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "tests/ReducedImage/BmpBuilder.h"

namespace morvik {
namespace {

std::vector<uint8_t> WithHeader(std::vector<uint8_t> image,
                                const std::function<void(BmpHeader&)>& change) {
    BmpHeader header = ReadBmpHeader(image);
    change(header);
    WriteBmpHeader(header, image);
    return image;
}

TEST(IsValidBmpImage, OneByOneNeedsItsPaddedRowInsideTheDeclaredSize) {
    const std::vector<uint8_t> image = MakeBmp(1, 24, {{1, 2, 3}});
    ASSERT_EQ(image.size(), 58u);
    EXPECT_TRUE(IsValidBmpImage(image));
    EXPECT_FALSE(IsValidBmpImage(WithHeader(image, [](BmpHeader& h) { h.bfSize = 57; })));

    std::vector<uint8_t> longer = image;
    longer.push_back(0);
    EXPECT_TRUE(IsValidBmpImage(WithHeader(longer, [](BmpHeader& h) { h.bfSize = 59; })));
    EXPECT_TRUE(IsValidBmpImage(longer)) << "bytes after the declared size do no harm";
    EXPECT_FALSE(IsValidBmpImage(WithHeader(image, [](BmpHeader& h) { h.bfSize = 59; })))
        << "a header that declares more than the buffer holds";
}

TEST(IsValidBmpImage, RefusesEveryHeaderItCannotUse) {
    const std::vector<uint8_t> image = MakeBmp(3, 8, {{0, 1, 0}, {1, 1, 0}}, {0, 0xFFFFFF});
    ASSERT_TRUE(IsValidBmpImage(image));
    EXPECT_FALSE(IsValidBmpImage({}));
    EXPECT_FALSE(IsValidBmpImage(std::span(image).first(54)));

    const std::vector<std::function<void(BmpHeader&)>> faults{
        [](BmpHeader& h) { h.bfType = 0x4142; },      [](BmpHeader& h) { h.bfOffBits = h.bfSize; },
        [](BmpHeader& h) { h.bfReserved1 = 1; },      [](BmpHeader& h) { h.bfReserved2 = 1; },
        [](BmpHeader& h) { h.bfOffBits = 53; },       [](BmpHeader& h) { h.biSize = 108; },
        [](BmpHeader& h) { h.biWidth = 0; },          [](BmpHeader& h) { h.biHeight = -2; },
        [](BmpHeader& h) { h.biPlanes = 2; },         [](BmpHeader& h) { h.biCompression = 3; },
        [](BmpHeader& h) { h.biBitCount = 0; },       [](BmpHeader& h) { h.biBitCount = 33; },
        [](BmpHeader& h) { h.biSizeImage = -1; },     [](BmpHeader& h) { h.biXPelsPerMeter = -1; },
        [](BmpHeader& h) { h.biYPelsPerMeter = -1; }, [](BmpHeader& h) { h.biClrImportant = -1; },
        [](BmpHeader& h) { h.biClrUsed = 257; },      [](BmpHeader& h) { h.biClrUsed = -1; },
        [](BmpHeader& h) { h.biHeight = 3; },  // one row more than there is room for
    };
    for (std::size_t i = 0; i < faults.size(); ++i) {
        EXPECT_FALSE(IsValidBmpImage(WithHeader(image, faults[i]))) << "fault " << i;
    }
    EXPECT_TRUE(IsValidBmpImage(WithHeader(image, [](BmpHeader& h) { h.biClrUsed = 0; })));
    EXPECT_TRUE(IsValidBmpImage(WithHeader(image, [](BmpHeader& h) { h.biBitCount = 7; })));
}

TEST(IsValidBmpImage, SizesThatWouldWrapAroundAreNotValid) {
    const std::vector<uint8_t> image = MakeBmp(1, 32, {{1, 2, 3, 4}});
    // 2^29 pixels of 4 bytes, twice over: 2^32 bytes of rows, 0 in 32 bits.
    EXPECT_FALSE(IsValidBmpImage(WithHeader(image, [](BmpHeader& h) {
        h.biWidth = 1 << 29;
        h.biHeight = 2;
    })));
    EXPECT_FALSE(IsValidBmpImage(WithHeader(image, [](BmpHeader& h) {
        h.biWidth = INT32_MAX;
        h.biHeight = INT32_MAX;
    })));
}

TEST(RepairFileHeader, MovesTheRowsToTheEndOfTheBuffer) {
    // Declares a full 256-entry table but holds only 2 entries.
    std::vector<uint8_t> image = MakeBmp(4, 8, {{0, 1, 1, 0}}, {0, 0xFFFFFF});
    image = WithHeader(image, [](BmpHeader& h) {
        h.bfOffBits = 1078;
        h.bfSize = 1078 + 4;
    });
    ASSERT_FALSE(IsValidBmpImage(image));
    EXPECT_TRUE(RepairFileHeader(image));
    EXPECT_EQ(ReadBmpHeader(image).bfOffBits, 62);
    EXPECT_EQ(ReadBmpHeader(image).bfSize, static_cast<int32_t>(image.size()));
    EXPECT_TRUE(IsValidBmpImage(image));
    std::vector<uint32_t> row(4);
    DecodeRow(image, 0, row.data());
    EXPECT_EQ(row, (std::vector<uint32_t>{0, 0xFFFFFF, 0xFFFFFF, 0}));
}

TEST(RepairFileHeader, LeavesWhatNeedsNoRepairAndRefusesWhatCannotFit) {
    const std::vector<uint8_t> image = MakeBmp(2, 24, {{1, 2, 3, 4, 5, 6}});
    std::vector<uint8_t> same = image;
    EXPECT_TRUE(RepairFileHeader(same));
    EXPECT_EQ(same, image);

    std::vector<uint8_t> tiny(14, 0xEE);
    EXPECT_TRUE(RepairFileHeader(tiny));
    EXPECT_EQ(tiny, std::vector<uint8_t>(14, 0xEE));

    // Short by more than the offset: the offset drops below the headers.
    std::vector<uint8_t> cut = WithHeader(image, [](BmpHeader& h) { h.bfSize = 200; });
    EXPECT_TRUE(RepairFileHeader(cut));
    EXPECT_FALSE(IsValidBmpImage(cut));

    // The moved offset does not fit in 32 bits.
    std::vector<uint8_t> wild = WithHeader(image, [](BmpHeader& h) {
        h.bfSize = INT32_MIN;
        h.bfOffBits = INT32_MAX;
    });
    EXPECT_FALSE(RepairFileHeader(wild));
}

TEST(DecodeRow, SixteenAndOneBitRowsNeedNoColourTable) {
    const std::vector<uint8_t> sixteen = MakeBmp(3, 16, {{0xFF, 0x7F, 0x21, 0x04, 0x00, 0x80}});
    std::vector<uint32_t> row(3);
    DecodeRow(sixteen, 0, row.data());
    EXPECT_EQ(row, (std::vector<uint32_t>{0xFFFFFF, 0x080808, 0}));

    // Whatever the table says, 1 is white and 0 is black.
    const std::vector<uint8_t> one = MakeBmp(9, 1, {{0xA0, 0x80}}, {0x123456, 0x654321});
    std::vector<uint32_t> bits(9);
    DecodeRow(one, 0, bits.data());
    EXPECT_EQ(bits, (std::vector<uint32_t>{0xFFFFFF, 0, 0xFFFFFF, 0, 0, 0, 0, 0, 0xFFFFFF}));
}

TEST(DecodeRow, PalettedAndTrueColourRows) {
    const std::vector<uint32_t> palette{0x010203, 0x040506, 0x070809};
    const std::vector<uint8_t> four = MakeBmp(3, 4, {{0x21, 0x00}, {0x01, 0x20}}, palette);
    std::vector<uint32_t> row(3);
    DecodeRow(four, 0, row.data());
    EXPECT_EQ(row, (std::vector<uint32_t>{0x070809, 0x040506, 0x010203}));
    DecodeRow(four, 1, row.data());
    EXPECT_EQ(row, (std::vector<uint32_t>{0x010203, 0x040506, 0x070809}));

    const std::vector<uint8_t> eight = MakeBmp(3, 8, {{2, 0, 1}}, palette);
    DecodeRow(eight, 0, row.data());
    EXPECT_EQ(row, (std::vector<uint32_t>{0x070809, 0x010203, 0x040506}));

    const std::vector<uint8_t> rgb = MakeBmp(3, 24, {{1, 2, 3, 4, 5, 6, 7, 8, 9}});
    DecodeRow(rgb, 0, row.data());
    EXPECT_EQ(row, (std::vector<uint32_t>{0x030201, 0x060504, 0x090807}));

    const std::vector<uint8_t> rgbx = MakeBmp(1, 32, {{1, 2, 3, 0xAB}});
    DecodeRow(rgbx, 0, row.data());
    EXPECT_EQ(row[0], 0xAB030201u) << "the fourth byte is kept, for the caller to mask";
}

TEST(DecodeRow, StaysInsideTheBufferWhateverThePixelsSay) {
    // Two table entries; the pixel asks for entry 255, far past the buffer.
    const std::vector<uint8_t> eight = MakeBmp(2, 8, {{255, 1}}, {0x111111, 0x222222});
    std::vector<uint32_t> row(2);
    DecodeRow(eight, 0, row.data());
    EXPECT_EQ(row, (std::vector<uint32_t>{0, 0x222222}));

    // Indices past the table's entries would read the pixel bytes behind
    // it as colours: they are black.
    const std::vector<uint8_t> badIndex =
        MakeBmp(8, 8, {{3, 2, 1, 0, 0x44, 0x44, 0x44, 0x44}}, {0x111111, 0x222222});
    std::vector<uint32_t> eightPixels(8);
    DecodeRow(badIndex, 0, eightPixels.data());
    EXPECT_EQ(eightPixels, (std::vector<uint32_t>{0, 0, 0x222222, 0x111111, 0, 0, 0, 0}));
    std::vector<uint8_t> fewerUsed = MakeBmp(2, 8, {{1, 0}}, {0x111111, 0x222222});
    WriteBmpHeader(
        [&] {
            BmpHeader h = ReadBmpHeader(fewerUsed);
            h.biClrUsed = 1;
            return h;
        }(),
        fewerUsed);
    DecodeRow(fewerUsed, 0, row.data());
    EXPECT_EQ(row[0], 0u) << "biClrUsed bounds the table";

    // A bit count that has no decoding.
    EXPECT_FALSE(HasDecoding(3));
    const std::vector<uint8_t> odd = MakeBmp(4, 3, {{0xFF, 0xFF}});
    ASSERT_TRUE(IsValidBmpImage(odd));
    std::vector<uint32_t> pixels(4, 0xEEEEEE);
    DecodeRow(odd, 0, pixels.data());
    EXPECT_EQ(pixels, (std::vector<uint32_t>{0, 0, 0, 0}));
}

TEST(DecodeRow, TwoBitRowsGoThroughTheColourTable) {
    const std::vector<uint32_t> palette{0x010203, 0x040506, 0x070809, 0x0A0B0C};
    const std::vector<uint8_t> two = MakeBmp(5, 2, {{0b00011011, 0b10000000}}, palette);
    ASSERT_TRUE(HasDecoding(2));
    std::vector<uint32_t> row(5);
    DecodeRow(two, 0, row.data());
    EXPECT_EQ(row, (std::vector<uint32_t>{0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x070809}));
}

}  // namespace
}  // namespace morvik
