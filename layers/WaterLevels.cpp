#include "layers/WaterLevels.h"

namespace morvik {

WaterLevels::WaterLevels(std::span<const uint8_t> occurs, uint16_t seaValue)
    : ranks_(65536, 0),
      seaValue_(seaValue),
      seaScaled_(static_cast<int32_t>(int64_t{seaValue} * kDrainableTop / 65535)) {
    int32_t ranks = 0;
    for (std::size_t value = 0; value < ranks_.size(); ++value) {
        ranks_[value] = occurs[value] != 0 ? ranks++ : ranks;
    }
    ranked_ = ranks - 1 <= kDrainableTop;
}

std::vector<uint8_t> OccurringValues(std::span<const uint16_t> values) {
    std::vector<uint8_t> occurs(65536, 0);
    for (const uint16_t value : values) occurs[value] = 1;
    return occurs;
}

}  // namespace morvik
