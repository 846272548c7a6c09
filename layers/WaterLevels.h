#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "landscape/Drainage.h"

namespace morvik {

// The levels a heightmap's values take for the flood that fills its hollows,
// which takes heights a little under 16 bits: the values' ranks among those
// that occur keep every one apart where they fit, as a run's few hundred
// heights do; else they are scaled, land kept above the sea.
class WaterLevels {
  public:
    // `occurs`: a byte for each of the 65536 values, 1 where one occurs.
    WaterLevels(std::span<const uint8_t> occurs, uint16_t seaValue);

    int32_t operator()(uint16_t value) const {
        if (ranked_) return ranks_[value];
        const auto scaled = static_cast<int32_t>(int64_t{value} * kDrainableTop / 65535);
        return value > seaValue_ ? std::max(scaled, seaScaled_ + 1) : scaled;
    }
    // The highest level that is sea.
    int32_t SeaTop() const { return (*this)(seaValue_); }

  private:
    std::vector<int32_t> ranks_;
    bool ranked_ = false;
    uint16_t seaValue_;
    int32_t seaScaled_;
};

// Which of the 65536 values occur among these, as WaterLevels takes them.
std::vector<uint8_t> OccurringValues(std::span<const uint16_t> values);

}  // namespace morvik
