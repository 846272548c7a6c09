#pragma once

#include <QImage>
#include <cstdint>

#include "terrain/ERangeError.h"
#include "terrain/PixelView.h"

namespace morvik {

// The pixels of a map bitmap. Throws ERangeError for a bitmap of another
// format than RGBX8888.
inline PixelView BitmapPixels(QImage& bitmap) {
    if (bitmap.format() != QImage::Format_RGBX8888) {
        throw ERangeError("bitmap is not RGBX8888");
    }
    return RgbxPixels(bitmap.bits(), bitmap.bytesPerLine(),
                      MapSize(bitmap.width(), bitmap.height()));
}

// A black bitmap of this size, in the format BitmapPixels takes.
inline QImage BlackBitmap(QSize size) {
    QImage bitmap(size, QImage::Format_RGBX8888);
    bitmap.fill(Qt::black);
    return bitmap;
}

}  // namespace morvik
