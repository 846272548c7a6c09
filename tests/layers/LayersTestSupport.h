#pragma once

#include <cstdint>
#include <optional>

#include "layers/LandLayers.h"
#include "run/MapRun.h"

namespace morvik {

// The layers of a whole run of the given size and tick, eroded or not,
// its water traced.
inline LandLayers RunLayers(int32_t width, int32_t height, uint32_t tick,
                            std::optional<int32_t> erosion, Wrap wrap = Wrap::kNone) {
    MapRun run({.width = width,
                .height = height,
                .roughness = 3,
                .seaShare = 4,
                .tick = tick,
                .erosion = erosion,
                .wrap = wrap},
               2);
    run.KeepLayers();
    while (run.TakeCircles(1 << 20)) {
    }
    run.ShapeLand();
    LandLayers layers = run.MakeLayers();
    TraceWater(layers, 2);
    return layers;
}

}  // namespace morvik
