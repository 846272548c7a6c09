#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "terrain/Heightmap.h"
#include "terrain/MapSize.h"
#include "terrain/Terrain.h"
#include "terrain/TickSource.h"

namespace morvik {

// What a map on the page takes: the program's controls, and the clock that
// bounds every random number, as the batch tool's --tick.
struct WebSettings {
    int32_t width;
    int32_t height;
    int32_t roughness;
    int32_t seaShare;
    uint32_t tick;
};

// The settings the program takes, each lowest to highest, as the page's
// inputs offer them and its messages name them.
struct WebLimits {
    int32_t leastWidth, mostWidth;
    int32_t leastHeight, mostHeight;
    int32_t leastRoughness, mostRoughness;
    int32_t leastSeaShare, mostSeaShare;
};
WebLimits Limits();

// One map for the page, made in steps, so that the page's worker can show
// its progress and stop between any two: the circles a batch at a time, then
// the finish. Its files are byte for byte those of the program and of the
// batch tool with the same settings and tick.
class WebMap {
  public:
    // Throws ERangeError for settings beyond the limits.
    explicit WebMap(const WebSettings& settings);

    int32_t TotalIterations() const { return terrain_->Job().TotalIterations; }
    int32_t IterationsDone() const { return terrain_->Job().IterationsDone; }

    // Up to `count` more circles; whether any remain.
    bool TakeCircles(int32_t count);

    // Once every circle is taken: the heightmap of the heights they left,
    // then the finish. Throws ERangeError before that.
    void Finish();

    // After the finish: RGBA bytes for a canvas, row by row from the top.
    std::vector<uint8_t> CanvasPixels(bool coastline);
    // The 8-bit BMP file the program saves, the reduction included.
    std::vector<uint8_t> BmpFile(bool coastline);
    // The 16-bit heightmap the batch tool writes, row by row from the top.
    const Heightmap& Heights() const;

  private:
    void RequireFinished() const;

    MapSize size_;
    FixedTickSource ticks_;
    std::unique_ptr<Terrain> terrain_;
    std::optional<Heightmap> heightmap_;
    bool finished_ = false;
};

}  // namespace morvik
