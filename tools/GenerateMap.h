#pragma once

#include <QImage>
#include <cstdint>

#include "components/ReducedImage/ReducedImageStore.h"
#include "terrain/Terrain.h"
#include "tools/BatchOptions.h"

namespace morvik {

struct GeneratedMap {
    uint32_t tick = 0;  // the clock every draw was bounded by
    QImage picture;     // RGBX8888, as the map view shows it
    GenerationJob job;
    int32_t loweringPasses = 0;
    int32_t seaCells = 0;  // after the last pass
    HeightExtremes extremes{};
};

// One whole run at the options' size, drawn in the options' view. Every draw
// is bounded by the options' tick, or by the clock read once, so that the
// run can be made again.
GeneratedMap GenerateMap(const BatchOptions& options);

// The picture in an image store; throws std::runtime_error if the store
// cannot take it.
void LoadMap(ReducedImageStore& store, const QImage& picture);

}  // namespace morvik
