#pragma once

#include <cstdint>

namespace morvik {

// The width and height of a map, each 1..kLargestSide, so that its cell count
// and every sum over its cells stay far inside 32 bits.
class MapSize {
  public:
    static constexpr int32_t kLargestSide = 8192;
    // The largest map the program's windows make.
    static constexpr int32_t kMaxWidth = 1280;
    static constexpr int32_t kMaxHeight = 1024;

    // Throws ERangeError unless both sides are within 1..kLargestSide.
    constexpr MapSize(int32_t width, int32_t height) : width_(width), height_(height) {
        if (width < 1 || width > kLargestSide || height < 1 || height > kLargestSide) {
            ThrowOutOfRange(width, height);
        }
    }

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t Cells() const { return width_ * height_; }

    friend bool operator==(MapSize, MapSize) = default;

  private:
    [[noreturn]] static void ThrowOutOfRange(int32_t width, int32_t height);

    int32_t width_;
    int32_t height_;
};

// The largest map the program's windows make: the capacity of its generator.
inline constexpr MapSize kLargestProgramMap(MapSize::kMaxWidth, MapSize::kMaxHeight);

}  // namespace morvik
