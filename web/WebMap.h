#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "run/MapRun.h"
#include "terrain/Heightmap.h"

namespace morvik {

// The limits of a map on the page: the program's window sizes.
inline RunLimits PageLimits() { return WindowLimits(); }

// One map for the page, made in steps, so that the page's worker can show
// its progress and stop between any two: the circles a batch at a time, then
// the rest. It keeps the heightmap for the page's files.
class WebMap {
  public:
    // Throws ERangeError for settings beyond the page's limits.
    explicit WebMap(const RunSettings& settings) : run_(settings, 1, PageLimits()) {}

    int32_t TotalIterations() const { return run_.Job().TotalIterations; }
    int32_t IterationsDone() const { return run_.Job().IterationsDone; }

    // Up to `count` more circles; whether any remain.
    bool TakeCircles(int32_t count) { return run_.TakeCircles(count); }

    // The rest of the run: any circles left, the erosion, the heightmap,
    // the finish.
    void Finish();

    // After the finish: RGBA bytes for a canvas, row by row from the top.
    std::vector<uint8_t> CanvasPixels(MapView view);
    // The 8-bit BMP file the program saves, the reduction included.
    std::vector<uint8_t> BmpFile(MapView view);
    // The 16-bit heightmap the batch tool writes, row by row from the top.
    const Heightmap& Heights() const;

  private:
    MapRun run_;
    std::optional<Heightmap> heightmap_;
};

}  // namespace morvik
