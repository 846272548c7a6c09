#include "components/ReducedImage/BmpImage.h"

#include <algorithm>
#include <array>
#include <limits>

namespace morvik {

namespace {

uint16_t Read16(std::span<const uint8_t> bytes, std::size_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

int32_t Read32(std::span<const uint8_t> bytes, std::size_t at) {
    return static_cast<int32_t>(uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 |
                                uint32_t{bytes[at + 2]} << 16 | uint32_t{bytes[at + 3]} << 24);
}

void Write16(std::span<uint8_t> bytes, std::size_t at, uint16_t value) {
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Write32(std::span<uint8_t> bytes, std::size_t at, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(bits >> (8 * i));
}

bool FitsInt32(int64_t value) {
    return value >= std::numeric_limits<int32_t>::min() &&
           value <= std::numeric_limits<int32_t>::max();
}

// The colour table as pixels of `bitCount` index it, each entry blue |
// green << 8 | red << 16. Indices at or past the table's entries (biClrUsed,
// or all 2^bits when it is 0), or whose entry would lie past bfOffBits or
// the buffer, decode as black.
std::array<uint32_t, 256> IndexedPalette(std::span<const uint8_t> image, const BmpHeader& h) {
    std::array<uint32_t, 256> palette{};
    const int64_t indices = int64_t{1} << h.biBitCount;
    const int64_t entries = h.biClrUsed > 0 ? std::min<int64_t>(h.biClrUsed, indices) : indices;
    const int64_t tableEnd = std::min<int64_t>(h.bfOffBits, static_cast<int64_t>(image.size()));
    for (int64_t index = 0; index < entries; ++index) {
        const int64_t at = int64_t{kBmpHeadersSize} + 4 * index;
        if (at + 4 > tableEnd) break;
        palette[index] =
            uint32_t{image[at]} | uint32_t{image[at + 1]} << 8 | uint32_t{image[at + 2]} << 16;
    }
    return palette;
}

uint32_t FiveBitsToByte(uint32_t value) { return (value & 31) * 255 / 31; }

}  // namespace

BmpHeader ReadBmpHeader(std::span<const uint8_t> image) {
    return BmpHeader{
        .bfType = Read16(image, 0),
        .bfSize = Read32(image, 2),
        .bfReserved1 = Read16(image, 6),
        .bfReserved2 = Read16(image, 8),
        .bfOffBits = Read32(image, 10),
        .biSize = Read32(image, 14),
        .biWidth = Read32(image, 18),
        .biHeight = Read32(image, 22),
        .biPlanes = Read16(image, 26),
        .biBitCount = Read16(image, 28),
        .biCompression = Read32(image, 30),
        .biSizeImage = Read32(image, 34),
        .biXPelsPerMeter = Read32(image, 38),
        .biYPelsPerMeter = Read32(image, 42),
        .biClrUsed = Read32(image, 46),
        .biClrImportant = Read32(image, 50),
    };
}

void WriteBmpHeader(const BmpHeader& header, std::span<uint8_t> image) {
    Write16(image, 0, header.bfType);
    Write32(image, 2, header.bfSize);
    Write16(image, 6, header.bfReserved1);
    Write16(image, 8, header.bfReserved2);
    Write32(image, 10, header.bfOffBits);
    Write32(image, 14, header.biSize);
    Write32(image, 18, header.biWidth);
    Write32(image, 22, header.biHeight);
    Write16(image, 26, header.biPlanes);
    Write16(image, 28, header.biBitCount);
    Write32(image, 30, header.biCompression);
    Write32(image, 34, header.biSizeImage);
    Write32(image, 38, header.biXPelsPerMeter);
    Write32(image, 42, header.biYPelsPerMeter);
    Write32(image, 46, header.biClrUsed);
    Write32(image, 50, header.biClrImportant);
}

bool IsValidBmpImage(std::span<const uint8_t> image) {
    if (image.data() == nullptr || image.size() <= kBmpHeadersSize) return false;
    const BmpHeader h = ReadBmpHeader(image);
    if (h.bfType != kBmpSignature || h.bfSize <= h.bfOffBits) return false;
    if (h.bfReserved1 != 0 || h.bfReserved2 != 0) return false;
    if (h.bfOffBits < static_cast<int32_t>(kBmpHeadersSize) || h.biSize != 40) return false;
    if (h.biWidth <= 0 || h.biHeight <= 0 || h.biPlanes != 1 || h.biCompression != 0) {
        return false;
    }
    if (h.biBitCount < 1 || h.biBitCount > 32) return false;
    if (h.biSizeImage < 0 || h.biXPelsPerMeter < 0 || h.biYPelsPerMeter < 0 ||
        h.biClrImportant < 0 || h.biClrUsed < 0 || h.biClrUsed > 256) {
        return false;
    }
    // stride * height + bfOffBits <= bfSize, asked without multiplying.
    const int64_t rowSpace = int64_t{h.bfSize} - h.bfOffBits;
    if (BmpRowStride(h.biBitCount, h.biWidth) > rowSpace / h.biHeight) return false;
    return static_cast<uint64_t>(h.bfSize) <= image.size();
}

bool RepairFileHeader(std::span<uint8_t> image) {
    if (image.size() <= 14) return true;
    const int64_t length = static_cast<int64_t>(image.size());
    const int64_t declared = Read32(image, 2);
    if (declared == length) return true;
    const int64_t offBits = Read32(image, 10) + (length - declared);
    if (!FitsInt32(length) || !FitsInt32(offBits)) return false;
    Write32(image, 10, static_cast<int32_t>(offBits));
    Write32(image, 2, static_cast<int32_t>(length));
    return true;
}

bool HasDecoding(int32_t bitCount) {
    switch (bitCount) {
        case 1:
        case 2:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            return true;
        default:
            return false;
    }
}

void DecodeRow(std::span<const uint8_t> image, int32_t row, uint32_t* out, OneBitRows oneBit) {
    const BmpHeader h = ReadBmpHeader(image);
    const int32_t width = h.biWidth;
    const uint8_t* pixels =
        image.data() + h.bfOffBits + int64_t{row} * BmpRowStride(h.biBitCount, width);
    switch (h.biBitCount) {
        case 1:
            if (oneBit == OneBitRows::kBlackAndWhite) {
                for (int32_t i = 0; i < width; ++i) {
                    out[i] = pixels[i / 8] >> (7 - i % 8) & 1 ? 0x00FFFFFF : 0;
                }
                break;
            }
            [[fallthrough]];
        case 2:
        case 4:
        case 8: {
            const std::array<uint32_t, 256> palette = IndexedPalette(image, h);
            const int32_t bits = h.biBitCount;
            const int32_t perByte = 8 / bits;
            const uint32_t mask = (1u << bits) - 1;
            for (int32_t i = 0; i < width; ++i) {
                const int32_t shift = 8 - bits * (i % perByte + 1);
                out[i] = palette[pixels[i / perByte] >> shift & mask];
            }
            break;
        }
        case 16:
            for (int32_t i = 0; i < width; ++i) {
                const uint32_t v = pixels[2 * i] | uint32_t{pixels[2 * i + 1]} << 8;
                out[i] =
                    FiveBitsToByte(v) | FiveBitsToByte(v >> 5) << 8 | FiveBitsToByte(v >> 10) << 16;
            }
            break;
        case 24:
            for (int32_t i = 0; i < width; ++i) {
                const uint8_t* p = pixels + 3 * i;
                out[i] = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
            }
            break;
        case 32:
            for (int32_t i = 0; i < width; ++i) {
                const uint8_t* p = pixels + 4 * i;
                out[i] = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                         uint32_t{p[3]} << 24;
            }
            break;
        default:
            std::fill_n(out, width, 0u);
    }
}

}  // namespace morvik
