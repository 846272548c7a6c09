#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <thread>
#include <vector>

#include "layers/FlowMap.h"
#include "layers/LandLayers.h"
#include "layers/NormalMap.h"
#include "layers/TerrainMasks.h"
#include "layers/TerrainScale.h"
#include "tools/ProgressLine.h"
#include "tools/RunOutput.h"

namespace morvik {

// What one output of a run's layers holds.
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

// Writes `region` of the layers into a file as `kind` says.
void WriteLayerRegion(const LayerPainters& painters, const LayerKind& kind,
                      const LayerRegion& region, OutputFile& file);

// Writes a run's layer files on threads of their own from the moment the
// layers are made, while the map is finished and reduced, a file at a time
// on each of up to `threads`; on the caller's thread where no thread can be
// started. An error waits for Join.
class LayerFiles {
  public:
    LayerFiles(ProgressLine& progress, const TerrainScale& scale, int32_t threads)
        : progress_(progress), scale_(scale), threads_(threads) {}
    LayerFiles(const LayerFiles&) = delete;
    LayerFiles& operator=(const LayerFiles&) = delete;

    void Add(RunOutput output, LayerKind kind);
    bool Empty() const { return outputs_.empty(); }
    bool NeedsLayers() const;
    bool NeedsWater() const;

    // `water` as WaterCells gives it, where a water mask is asked for; the
    // caller keeps it till Join.
    void Start(LandLayers&& layers, std::span<const uint8_t> water);

    // Once the files are written in full; throws what stopped them.
    void Join();

  private:
    struct Output {
        RunOutput files;
        LayerKind kind;
    };
    void Write();

    ProgressLine& progress_;
    TerrainScale scale_;
    int32_t threads_;
    std::vector<Output> outputs_;
    std::optional<LandLayers> layers_;
    std::span<const uint8_t> water_;
    std::exception_ptr error_;
    std::jthread thread_;  // last: joined before the rest goes
};

}  // namespace morvik
