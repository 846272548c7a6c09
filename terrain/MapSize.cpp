#include "terrain/MapSize.h"

#include <string>

#include "terrain/ERangeError.h"

namespace morvik {

MapSize::MapSize(int32_t width, int32_t height) : width_(width), height_(height) {
    if (width < 1 || width > MaxWidth || height < 1 || height > MaxHeight) {
        throw ERangeError("map size " + std::to_string(width) + " x " + std::to_string(height) +
                          " is outside 1.." + std::to_string(MaxWidth) + " x 1.." +
                          std::to_string(MaxHeight));
    }
}

}  // namespace morvik
