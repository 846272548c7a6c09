#include "terrain/PixelView.h"

#include <cstdlib>

#include "terrain/ERangeError.h"

namespace morvik {

PixelView::PixelView(uint32_t* firstRow, std::ptrdiff_t stride, MapSize size, uint8_t topByte,
                     ChannelOrder order)
    : firstRow_(firstRow),
      stride_(stride),
      size_(size),
      topBits_(uint32_t{topByte} << 24),
      order_(order) {
    if (firstRow == nullptr) throw ERangeError("pixel view without pixels");
    if (std::abs(stride) < size.Width()) {
        throw ERangeError("pixel rows are shorter than the map width");
    }
}

}  // namespace morvik
