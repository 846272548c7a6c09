#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "components/ReducedImage/BmpImage.h"

namespace morvik {

// Test pictures as BMP file images. Rows are given bottom first, as stored,
// without their padding; the palette as blue | green << 8 | red << 16.
inline std::vector<uint8_t> MakeBmp(int32_t width, uint16_t bitCount,
                                    const std::vector<std::vector<uint8_t>>& rows,
                                    const std::vector<uint32_t>& palette = {}) {
    const auto height = static_cast<int32_t>(rows.size());
    const auto stride = static_cast<std::size_t>(BmpRowStride(bitCount, width));
    const std::size_t offBits = kBmpHeadersSize + 4 * palette.size();
    std::vector<uint8_t> image(offBits + stride * rows.size());
    WriteBmpHeader(BmpHeader{.bfSize = static_cast<int32_t>(image.size()),
                             .bfOffBits = static_cast<int32_t>(offBits),
                             .biWidth = width,
                             .biHeight = height,
                             .biBitCount = bitCount,
                             .biClrUsed = static_cast<int32_t>(palette.size())},
                   image);
    for (std::size_t i = 0; i < palette.size(); ++i) {
        for (std::size_t b = 0; b < 3; ++b) {
            image[kBmpHeadersSize + 4 * i + b] = static_cast<uint8_t>(palette[i] >> (8 * b));
        }
    }
    for (std::size_t y = 0; y < rows.size(); ++y) {
        std::copy(rows[y].begin(), rows[y].end(), image.begin() + offBits + y * stride);
    }
    return image;
}

// A 24-bit picture whose pixel at column x of stored row y is colourAt(x, y).
inline std::vector<uint8_t> MakeBmp24(int32_t width, int32_t height,
                                      const std::function<uint32_t(int32_t, int32_t)>& colourAt) {
    std::vector<std::vector<uint8_t>> rows(height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t colour = colourAt(x, y);
            for (int b = 0; b < 3; ++b) rows[y].push_back(static_cast<uint8_t>(colour >> (8 * b)));
        }
    }
    return MakeBmp(width, 24, rows);
}

// The picture that needs both the dither and the level search: blue 4x,
// green 4y, red 2(x + y) at column x of stored row y, 64 x 64.
inline std::vector<uint8_t> MakeGradientBmp() {
    return MakeBmp24(64, 64, [](int32_t x, int32_t y) {
        return static_cast<uint32_t>(4 * x | (4 * y) << 8 | (2 * (x + y)) << 16);
    });
}

inline std::vector<uint32_t> DecodeAll(const std::vector<uint8_t>& image) {
    const BmpHeader header = ReadBmpHeader(image);
    std::vector<uint32_t> colours(static_cast<std::size_t>(header.biWidth) * header.biHeight);
    for (int32_t y = 0; y < header.biHeight; ++y) {
        DecodeRow(image, y, &colours[static_cast<std::size_t>(y) * header.biWidth]);
    }
    return colours;
}

}  // namespace morvik
