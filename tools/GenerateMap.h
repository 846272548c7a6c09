#pragma once

#include <QImage>
#include <cstdint>

#include "terrain/Terrain.h"
#include "tools/BatchOptions.h"

namespace morvik {

struct GeneratedMap {
    QImage picture;  // RGBX8888, as the map view shows it
    GenerationJob job;
    int32_t loweringPasses = 0;
    int32_t seaCells = 0;  // after the last pass
    HeightExtremes extremes{};
};

// One whole run at the options' size, drawn in the options' view.
GeneratedMap GenerateMap(const BatchOptions& options);

}  // namespace morvik
