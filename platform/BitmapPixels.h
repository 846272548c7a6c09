#pragma once

#include <QImage>
#include <cstdint>

#include "terrain/PixelView.h"

namespace morvik {

// The pixels of an RGBX8888 bitmap, where a 0x00BBGGRR colour with its top
// byte set lands as it is. Throws ERangeError for any other bitmap.
PixelView BitmapPixels(QImage& bitmap);

}  // namespace morvik
