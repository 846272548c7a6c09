#pragma once

#include <cstdint>
#include <span>

#include "layers/LandLayers.h"

namespace morvik {

// The map's colours (RGBA, row by row from the top) shaded by the land's
// relief, lit from the north-west 45 degrees above the horizon: a slope
// facing the light brighter, one facing away darker, the sea as it is.
void ShadeRelief(const LandLayers& layers, std::span<uint8_t> rgba);

}  // namespace morvik
