#include "layers/LayerPicture.h"

#include <algorithm>
#include <cstring>

namespace morvik {

namespace {

template <typename Sample>
std::span<Sample> As(std::span<std::byte> row) {
    return {reinterpret_cast<Sample*>(row.data()), row.size() / sizeof(Sample)};
}

}  // namespace

LayerSamples SamplesOf(const LayerKind& kind) {
    switch (kind.of) {
        case LayerKind::kHeightmap:
        case LayerKind::kFlippedHeightmap:
        case LayerKind::kFlow:
            return {1, 16};
        case LayerKind::kFloatHeights:
            return {1, 32};
        case LayerKind::kNormal:
            return {3, 8};
        case LayerKind::kMask:
            return {1, 8};
        case LayerKind::kSplat:
            break;
    }
    return {4, 8};
}

void LayerRow(const LayerPainters& painters, const LayerKind& kind, const LayerRegion& region,
              int32_t y, std::span<std::byte> row) {
    const LandLayers& layers = painters.layers;
    const int32_t left = region.left;
    const int32_t width = region.size.Width();
    const int32_t mapY = region.top + y;
    switch (kind.of) {
        case LayerKind::kHeightmap:
        case LayerKind::kFlippedHeightmap: {
            const int32_t from =
                kind.of == LayerKind::kHeightmap ? mapY : region.top + region.size.Height() - 1 - y;
            std::memcpy(row.data(), &layers.heightmap.values[layers.Index(left, from)],
                        static_cast<std::size_t>(width) * 2);
            return;
        }
        case LayerKind::kFloatHeights: {
            const float* fine = &layers.heights[layers.Index(left, mapY)];
            std::transform(fine, fine + width, As<float>(row).begin(), [&](float height) {
                return static_cast<float>(painters.scale.Metres(height));
            });
            return;
        }
        case LayerKind::kNormal:
            NormalRow(layers, painters.scale, kind.normalY, mapY, left, As<uint8_t>(row));
            return;
        case LayerKind::kFlow:
            painters.flow->Row(mapY, left, As<uint16_t>(row));
            return;
        case LayerKind::kMask:
            painters.masks->Row(kind.mask, mapY, left, As<uint8_t>(row));
            return;
        case LayerKind::kSplat:
            break;
    }
    const std::span<uint8_t> rgba = As<uint8_t>(row);
    for (int32_t x = 0; x < width; ++x) {
        const SplatWeights weights = painters.masks->WeightsAt(left + x, mapY);
        std::copy(weights.begin(), weights.end(), &rgba[4 * static_cast<std::size_t>(x)]);
    }
}

}  // namespace morvik
