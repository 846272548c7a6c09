#pragma once

#include <cstdint>

namespace morvik {

// The width and height of a map, always within the grids' capacity, so that
// no operation taking one can reach outside them.
class MapSize {
  public:
    static constexpr int32_t MaxWidth = 1280;
    static constexpr int32_t MaxHeight = 1024;

    // Throws ERangeError unless 1 <= width <= MaxWidth and 1 <= height <= MaxHeight.
    MapSize(int32_t width, int32_t height);

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t Cells() const { return width_ * height_; }

    friend bool operator==(MapSize, MapSize) = default;

  private:
    int32_t width_;
    int32_t height_;
};

}  // namespace morvik
