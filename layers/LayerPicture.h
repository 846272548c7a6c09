#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "layers/FlowMap.h"
#include "layers/LandLayers.h"
#include "layers/NormalMap.h"
#include "layers/TerrainMasks.h"
#include "layers/TerrainScale.h"
#include "terrain/MapSize.h"

namespace morvik {

// What one file of a run's layers holds.
struct LayerKind {
    enum Of {
        kHeightmap,         // 16 bits: a grayscale PNG, or raw values (.r16, .raw, a pipe)
        kFlippedHeightmap,  // raw 16-bit values from the bottom row up
        kFloatHeights,      // metres as 32-bit floats: OpenEXR, or raw (.r32)
        kNormal,            // 8-bit RGB PNG
        kFlow,              // 16-bit grayscale PNG
        kMask,              // 8-bit grayscale PNG
        kSplat,             // 8-bit RGBA PNG: sand, grass, rock, snow
    };
    Of of;
    NormalY normalY = NormalY::kUp;
    Mask mask = Mask::kWater;

    // Whether it needs more of the land than its 16-bit heightmap, and
    // whether the water traced through it.
    bool NeedsLayers() const { return of != kHeightmap && of != kFlippedHeightmap; }
    bool NeedsWater() const { return of == kFlow || (of == kMask && mask == Mask::kWater); }
};

// The samples of one pixel of a layer's file: how many, and their bits (32
// for floats).
struct LayerSamples {
    int32_t channels;
    int32_t bits;

    std::size_t RowBytes(int32_t width) const {
        return static_cast<std::size_t>(width) * channels * bits / 8;
    }
};
LayerSamples SamplesOf(const LayerKind& kind);

// The part of the map a file holds: all of it, or a tile.
struct LayerRegion {
    int32_t left;
    int32_t top;
    MapSize size;
};

// What the layers' files are drawn with: the layers, and the flow map and
// the masks where a file shows them.
struct LayerPainters {
    const LandLayers& layers;
    TerrainScale scale;
    std::optional<FlowMap> flow;
    std::optional<TerrainMasks> masks;
};

// Row y (0 the region's top, or for the flipped heightmap its bottom) of
// the region as `kind` holds it, into `row`'s SamplesOf(kind).RowBytes
// bytes: each sample in the machine's own byte order.
void LayerRow(const LayerPainters& painters, const LayerKind& kind, const LayerRegion& region,
              int32_t y, std::span<std::byte> row);

}  // namespace morvik
