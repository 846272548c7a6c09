#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace morvik {

// A rectangle of a BMP file image's pixels, from its top-left corner.
struct BmpRect {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
};

// The pixels of `rect` as a BMP file image of their own: the same bit count,
// colour table and resolution, bottom-up. For a valid image of 4 or 8 bits
// a pixel, the reduction's, with `rect` inside it; throws
// std::invalid_argument otherwise.
std::vector<uint8_t> CropBmpImage(std::span<const uint8_t> image, BmpRect rect);

}  // namespace morvik
