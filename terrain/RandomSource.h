#pragma once

#include <cstdint>

namespace morvik {

// The generator's one source of random numbers: a linear congruential
// generator that is never seeded. Its state starts at 0 in every process;
// maps differ because every number taken is bounded by the current tick count.
class RandomSource {
  public:
    // A number in 0..range-1 (0 when range is 0). Advances the state by one
    // step whatever the range.
    uint32_t RandomBelow(uint32_t range);

    uint32_t RandomState() const { return state_; }

  private:
    uint32_t state_ = 0;
};

}  // namespace morvik
