#include "terrain/WorldSize.h"

#include <string>

#include "terrain/ERangeError.h"

namespace morvik {

void WorldSize::ThrowOutOfRange(int32_t width, int32_t height) {
    throw ERangeError("world size " + std::to_string(width) + " x " + std::to_string(height) +
                      " is outside 1.." + std::to_string(kLargestSide) + " x 1.." +
                      std::to_string(kLargestSide));
}

}  // namespace morvik
