#include "layers/NormalMap.h"

#include <algorithm>
#include <cmath>

namespace morvik {

namespace {

uint8_t Encoded(double component) {
    return static_cast<uint8_t>(std::clamp(std::lround((component + 1) * 127.5), 0L, 255L));
}

}  // namespace

void NormalRow(const LandLayers& layers, const TerrainScale& scale, NormalY normalY, int32_t y,
               int32_t left, std::span<uint8_t> rgb) {
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
        const Gradient gradient = GradientAt(layers, scale, left + static_cast<int32_t>(i / 3), y);
        // Ground rising toward the top faces the bottom: the normal's
        // component toward the top is the rise toward the bottom.
        const double length =
            std::sqrt(gradient.east * gradient.east + gradient.south * gradient.south + 1);
        const double towardTop = gradient.south / length;
        rgb[i] = Encoded(-gradient.east / length);
        rgb[i + 1] = Encoded(normalY == NormalY::kUp ? towardTop : -towardTop);
        rgb[i + 2] = Encoded(1 / length);
    }
}

}  // namespace morvik
