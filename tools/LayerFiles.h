#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <thread>
#include <vector>

#include "layers/LandLayers.h"
#include "layers/LayerPicture.h"
#include "layers/TerrainScale.h"
#include "tools/ProgressLine.h"
#include "tools/RunOutput.h"

namespace morvik {

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
