#include "layers/ReliefShading.h"

#include <algorithm>
#include <cmath>

#include "layers/TerrainScale.h"

namespace morvik {

namespace {

// Heights a few times steeper than the heightmap's units across the map's
// longer side: gentle land still shows its form.
TerrainScale ShadingScale(MapSize size) {
    return {.relief = 64.0 * std::max(size.Width(), size.Height()) / 1024, .cell = 1};
}

}  // namespace

void ShadeRelief(const LandLayers& layers, std::span<uint8_t> rgba) {
    const MapSize size = layers.Size();
    const TerrainScale scale = ShadingScale(size);
    const double flat = std::sqrt(0.5);  // the light a level cell takes
    for (int32_t y = 0; y < size.Height(); ++y) {
        for (int32_t x = 0; x < size.Width(); ++x) {
            const std::size_t cell = layers.Index(x, y);
            if (layers.IsSea(cell)) continue;
            const Gradient rise = GradientAt(layers, scale, x, y);
            // The normal (-east, -south, 1) against the light (-1, -1, sqrt 2) / 2.
            const double light = (rise.east + rise.south + std::sqrt(2.0)) / 2 /
                                 std::sqrt(1 + rise.east * rise.east + rise.south * rise.south);
            const double factor = std::clamp(0.35 + 0.65 * light / flat, 0.45, 1.3);
            for (int channel = 0; channel < 3; ++channel) {
                uint8_t& value = rgba[4 * cell + channel];
                value = static_cast<uint8_t>(std::min(255.0, value * factor + 0.5));
            }
        }
    }
}

}  // namespace morvik
