#include "terrain/RandomSource.h"

namespace morvik {

uint32_t RandomSource::RandomBelow(uint32_t range) {
    state_ = state_ * 134775813u + 1u;
    return static_cast<uint32_t>((static_cast<uint64_t>(range) * state_) >> 32);
}

}  // namespace morvik
