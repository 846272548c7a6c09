#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "components/ReducedImage/ColourReduction.h"
#include "layers/LayerPicture.h"
#include "run/EnginePack.h"
#include "run/MapRun.h"
#include "terrain/ZeroedVector.h"

namespace morvik {

// The limits of a map on the page: any run's up to 4097 a side (Unity's
// largest terrain, and what a browser's memory holds eroded), starting
// from the program's defaults.
RunLimits PageLimits();

// One map for the page, made in steps, so that the page's worker can show
// its progress and stop between any two: the circles a batch at a time,
// then the rest. It keeps the land's layers for the page's views and files,
// which are the batch tool's for the same settings.
class WebMap {
  public:
    // Throws ERangeError for settings beyond the page's limits. With
    // `rivers`, the map's pictures show the water on the land.
    WebMap(const RunSettings& settings, bool rivers);

    int32_t TotalIterations() const { return run_.Job().TotalIterations; }
    int32_t IterationsDone() const { return run_.Job().IterationsDone; }

    // Up to `count` more circles; whether any remain.
    bool TakeCircles(int32_t count) { return run_.TakeCircles(count); }

    // The rest of the run: any circles left, the erosion (told the share of
    // it done), the layers, the finish.
    void Finish(const std::function<void(double share)>& erosion = {});

    // After the finish: RGBA bytes for a canvas, row by row from the top,
    // shaded by the relief if asked.
    std::vector<uint8_t> CanvasPixels(MapView view, bool relief);
    // The 8-bit BMP file the program saves, the reduction included.
    std::vector<uint8_t> BmpFile(MapView view);
    // The 16-bit heightmap, row by row from the top, and its sea level.
    const Heightmap& Heights() const;
    // A layer file's samples, row after row as LayerRow gives them.
    std::vector<std::byte> LayerRows(const LayerKind& kind);

    // The batch tool's JSON for the map in `view` written as `mapName` and
    // its heightmap as `heightmapName`.
    std::string Json(MapView view, const std::string& mapName, const std::string& heightmapName);
    // An engine's pack: why this map cannot be one, and its README.
    std::optional<std::string> PackFault(Engine engine) const;
    std::string PackReadme(Engine engine) const;

  private:
    const LandLayers& Layers() const;
    // The water on the land, traced when first asked for.
    std::span<const uint8_t> Water();
    const Reduction& Reduced(MapView view);

    MapRun run_;
    bool rivers_;
    std::optional<LandLayers> layers_;
    ZeroedVector<uint8_t> water_;
    std::optional<FlowMap> flow_;
    std::optional<TerrainMasks> masks_;
    std::optional<Reduction> reductions_[2];  // by view
};

}  // namespace morvik
