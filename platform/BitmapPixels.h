#pragma once

#include <QImage>
#include <cstdint>

#include "terrain/ERangeError.h"
#include "terrain/PixelView.h"

namespace morvik {

// The pixels of an RGBX8888 bitmap, where a 0x00BBGGRR colour with its top
// byte set lands as it is. Throws ERangeError for any other bitmap. Inline,
// so that its users (the program and the batch tool) bring QtGui and the
// terrain themselves.
inline PixelView BitmapPixels(QImage& bitmap) {
    if (bitmap.format() != QImage::Format_RGBX8888) {
        throw ERangeError("bitmap is not RGBX8888");
    }
    return PixelView(reinterpret_cast<uint32_t*>(bitmap.bits()), bitmap.bytesPerLine() / 4,
                     MapSize(bitmap.width(), bitmap.height()), 0xFF);
}

// A black bitmap of this size, in the format BitmapPixels takes.
inline QImage BlackBitmap(QSize size) {
    QImage bitmap(size, QImage::Format_RGBX8888);
    bitmap.fill(Qt::black);
    return bitmap;
}

}  // namespace morvik
