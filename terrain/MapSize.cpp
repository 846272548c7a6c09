#include "terrain/MapSize.h"

#include <string>

#include "terrain/ERangeError.h"

namespace morvik {

void ThrowSizeOutOfRange(const char* what, int32_t width, int32_t height, int32_t largest) {
    throw ERangeError(std::string(what) + " " + std::to_string(width) + " x " +
                      std::to_string(height) + " is outside 1.." + std::to_string(largest) +
                      " x 1.." + std::to_string(largest));
}

}  // namespace morvik
