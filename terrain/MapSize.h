#pragma once

#include <cstdint>

namespace morvik {

// Throws ERangeError: a size (`what`: "map size", "world size") whose sides
// are not both within 1..largest.
[[noreturn]] void ThrowSizeOutOfRange(const char* what, int32_t width, int32_t height,
                                      int32_t largest);

// The width and height of a map one process holds, each 1..kLargestSide,
// so that its cell count and every sum over its cells stay far inside 32
// bits. An eroded map of the largest size takes about 6 GB.
class MapSize {
  public:
    static constexpr int32_t kLargestSide = 16385;

    // Throws ERangeError unless both sides are within 1..kLargestSide.
    constexpr MapSize(int32_t width, int32_t height) : width_(width), height_(height) {
        if (width < 1 || width > kLargestSide || height < 1 || height > kLargestSide) {
            ThrowSizeOutOfRange("map size", width, height, kLargestSide);
        }
    }

    constexpr int32_t Width() const { return width_; }
    constexpr int32_t Height() const { return height_; }
    constexpr int32_t Cells() const { return width_ * height_; }

    friend bool operator==(MapSize, MapSize) = default;

  private:
    int32_t width_;
    int32_t height_;
};

// The maps the program's windows make. They start with the smallest, which is
// also the batch tool's default; the largest is the capacity of the program's
// generator.
inline constexpr MapSize kSmallestProgramMap(160, 120);
inline constexpr MapSize kLargestProgramMap(1280, 1024);

}  // namespace morvik
