#pragma once

#include <QImage>
#include <cstdint>
#include <optional>

#include "components/ReducedImage/ReducedImageStore.h"
#include "terrain/Heightmap.h"
#include "terrain/Terrain.h"

namespace morvik {

// What one run takes.
struct MapRequest {
    MapSize size;
    int32_t roughness;
    int32_t seaShare;
    uint32_t tick;  // the clock every random number is bounded by
    bool coastline;
    bool heightmap;
    int32_t threads = 1;  // the heights are the same for any number
};

struct GeneratedMap {
    QImage picture;  // RGBX8888, as the map view shows it
    GenerationJob job;
    int32_t loweringPasses = 0;
    int32_t seaCells = 0;  // after the last pass
    HeightExtremes extremes{};
    std::optional<Heightmap> heightmap;
};

// One whole run, drawn in the colour or the coastline view, with the
// heightmap of its heights before the finish if asked for.
GeneratedMap GenerateMap(const MapRequest& request);

// The picture in an image store; throws std::runtime_error if the store
// cannot take it.
void LoadMap(ReducedImageStore& store, const QImage& picture);

}  // namespace morvik
