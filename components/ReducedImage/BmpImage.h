#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace morvik {

// A BMP file image: the bytes of a Windows bitmap file held in memory, with
// a 14-byte file header, a 40-byte info header, a colour table of 4-byte
// entries (blue, green, red, 0) from offset 54 and bottom-up pixel rows
// padded to 4 bytes from bfOffBits. Colours passed around here are 32-bit
// with blue in the low byte, as a pixel is stored.

inline constexpr std::size_t kBmpHeadersSize = 54;
inline constexpr uint16_t kBmpSignature = 0x4D42;  // "BM"

// The header fields as stored.
struct BmpHeader {
    uint16_t bfType = kBmpSignature;
    int32_t bfSize = 0;
    uint16_t bfReserved1 = 0;
    uint16_t bfReserved2 = 0;
    int32_t bfOffBits = 0;
    int32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 0;
    int32_t biCompression = 0;
    int32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    int32_t biClrUsed = 0;
    int32_t biClrImportant = 0;
};

// The headers of an image of at least kBmpHeadersSize bytes.
BmpHeader ReadBmpHeader(std::span<const uint8_t> image);
void WriteBmpHeader(const BmpHeader& header, std::span<uint8_t> image);

// Bytes in one stored row: bitCount * width bits, padded to 4 bytes.
inline int64_t BmpRowStride(int32_t bitCount, int32_t width) {
    return (int64_t{bitCount} * width + 31) / 8 & ~int64_t{3};
}

// Whether every operation on images may use this one: the headers are
// those of an uncompressed bottom-up image, and all its rows lie inside the
// length it declares and inside the buffer.
bool IsValidBmpImage(std::span<const uint8_t> image);

// Makes the header declare the buffer's length, moving bfOffBits by the
// difference, so that the rows end where the buffer ends. This mends
// writers that count a full colour table but write only the entries used.
// Returns false when the true sizes do not fit the header's fields: such an
// image cannot be valid.
bool RepairFileHeader(std::span<uint8_t> image);

// Whether rows of this bit count decode to colours: 1, 2, 4, 8, 16, 24, 32.
bool HasDecoding(int32_t bitCount);

// How 1-bit rows decode: black and white whatever the table says (for
// reduction), or through the colour table (to show them).
enum class OneBitRows { kBlackAndWhite, kThroughTable };

// Fills out[0..biWidth) with the colours of stored row `row` (0 is the
// bottom row) of a valid image. An index past the colour table's entries
// (or past bfOffBits or the buffer) decodes as black, and so does every
// pixel of a bit count without a decoding.
void DecodeRow(std::span<const uint8_t> image, int32_t row, uint32_t* out,
               OneBitRows oneBit = OneBitRows::kBlackAndWhite);

}  // namespace morvik
