#pragma once

#include <cstddef>
#include <cstdint>

#include "terrain/MapSize.h"

namespace morvik {

// Which channel a pixel holds in its lowest byte, the first in memory.
enum class ChannelOrder { kRedFirst, kBlueFirst };

// A colour, 0x00BBGGRR, as a pixel of that order holds it.
inline uint32_t InChannelOrder(uint32_t colour, ChannelOrder order) {
    if (order == ChannelOrder::kRedFirst) return colour;
    return (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}

// Someone else's 32-bit pixels, row by row, that the renderers write
// 0x00BBGGRR colours into, red first or with red and blue swapped. Rows may
// run upward in memory, as a bottom-up bitmap's do: a negative stride.
// Bitmaps whose top byte must not be 0 (Qt's RGBX8888, say) give that byte,
// and every pixel written carries it.
class PixelView {
  public:
    // Throws ERangeError for a missing buffer or rows shorter than the width.
    PixelView(uint32_t* firstRow, std::ptrdiff_t stride, MapSize size, uint8_t topByte = 0,
              ChannelOrder order = ChannelOrder::kRedFirst);

    MapSize Size() const { return size_; }
    uint32_t* Row(int32_t y) const { return firstRow_ + y * stride_; }
    uint32_t Pixel(uint32_t colour) const { return InChannelOrder(colour, order_) | topBits_; }

  private:
    uint32_t* firstRow_;
    std::ptrdiff_t stride_;  // in pixels
    MapSize size_;
    uint32_t topBits_;
    ChannelOrder order_;
};

// Rows of RGBX8888 pixels, whose bytes in memory are R, G, B and an X byte
// that must be 0xFF: a 0x00BBGGRR colour lands in them with that byte set.
inline PixelView RgbxPixels(uint8_t* firstRow, std::ptrdiff_t bytesPerRow, MapSize size) {
    return PixelView(reinterpret_cast<uint32_t*>(firstRow), bytesPerRow / 4, size, 0xFF);
}

}  // namespace morvik
