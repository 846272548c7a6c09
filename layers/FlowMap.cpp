#include "layers/FlowMap.h"

#include <algorithm>
#include <cmath>

namespace morvik {

FlowMap::FlowMap(const LandLayers& layers)
    : FlowMap(layers, *std::max_element(layers.flow.begin(), layers.flow.end())) {}

FlowMap::FlowMap(const LandLayers& layers, float most) : layers_(layers), scale_(0) {
    if (most > 1) scale_ = 65535 / std::log(static_cast<double>(most));
}

void FlowMap::Row(int32_t y, int32_t left, std::span<uint16_t> values) const {
    const float* flow = &layers_.flow[layers_.Index(left, y)];
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double logFlow = std::log(std::max(1.0, static_cast<double>(flow[i])));
        values[i] = static_cast<uint16_t>(std::min(65535.0, std::round(logFlow * scale_)));
    }
}

}  // namespace morvik
