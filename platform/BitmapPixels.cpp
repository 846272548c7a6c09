#include "platform/BitmapPixels.h"

#include "terrain/ERangeError.h"

namespace morvik {

PixelView BitmapPixels(QImage& bitmap) {
    if (bitmap.format() != QImage::Format_RGBX8888) {
        throw ERangeError("bitmap is not RGBX8888");
    }
    return PixelView(reinterpret_cast<uint32_t*>(bitmap.bits()), bitmap.bytesPerLine() / 4,
                     MapSize(bitmap.width(), bitmap.height()), 0xFF);
}

}  // namespace morvik
