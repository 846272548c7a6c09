#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "terrain/Heightmap.h"
#include "terrain/Terrain.h"
#include "terrain/ZeroedVector.h"

namespace morvik {

// Shown the heightmap as soon as it is made, before the run's finish.
using HeightmapReport = std::function<void(Heightmap&& heightmap)>;

// What one run takes.
struct MapRequest {
    MapSize size;
    int32_t roughness;
    int32_t seaShare;
    uint32_t tick;  // the clock every random number is bounded by
    bool coastline;
    int32_t threads = 1;  // the maps are the same for any number
    IterationsReport iterations = {};
    HeightmapReport heightmap = {};  // none: no heightmap is made
    // How long the land wears (ErodeLand); none: the land as the circles
    // left it.
    std::optional<int32_t> erosion = std::nullopt;
    std::function<void(double share)> erosionProgress = {};
    Wrap wrap = Wrap::kNone;
};

struct GeneratedMap {
    // A BMP file image of 32 bits a pixel, as the map view shows the map.
    ZeroedVector<uint8_t> picture;
    GenerationJob job;
    int32_t loweringPasses = 0;
    int32_t seaCells = 0;  // after the last pass
    HeightExtremes extremes{};
};

// One whole run, drawn in the colour or the coastline view, with the
// heightmap of its heights before the finish if asked for.
GeneratedMap GenerateMap(const MapRequest& request);

// The generator's finished map as the map view shows it, in the colour or
// the coastline view, as a 32-bit BMP file image; and the extremes the
// colours met. The colour table must be built.
struct MapPicture {
    ZeroedVector<uint8_t> image;
    HeightExtremes extremes;
};
MapPicture DrawMapPicture(Terrain& terrain, MapSize size, bool coastline);

// The tick below which the circles a run takes cannot take all their places
// and sizes on a map of this size: every number taken is below the tick,
// and the centres need numbers up to three times the longer side.
int64_t SmallestFullTick(MapSize size);

}  // namespace morvik
