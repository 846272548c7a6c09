#pragma once

#include <cstdint>

#include "terrain/MapSize.h"

namespace morvik {

// The sides of a run's whole map, which may be larger than one process holds
// (MapSize): a world that ranks build in tiles. A cell's height is the sum of
// one step for each circle, and at the most roughness a world of
// kLargestSide x kLargestSide takes 1,718,015,130 circles, so heights stay
// within 32 bits; everything that grows with the cells is taken in 64.
class WorldSize {
  public:
    static constexpr int32_t kLargestSide = 131073;

    // Throws ERangeError unless both sides are within 1..kLargestSide.
    constexpr WorldSize(int32_t width, int32_t height) : width_(width), height_(height) {
        if (width < 1 || width > kLargestSide || height < 1 || height > kLargestSide) {
            ThrowSizeOutOfRange("world size", width, height, kLargestSide);
        }
    }
    constexpr WorldSize(MapSize size) : width_(size.Width()), height_(size.Height()) {}

    constexpr int32_t Width() const { return width_; }
    constexpr int32_t Height() const { return height_; }
    constexpr int64_t Cells() const { return int64_t{width_} * height_; }

  private:
    int32_t width_;
    int32_t height_;
};

}  // namespace morvik
