#pragma once

#include <cstdint>

#include "layers/LandLayers.h"

namespace morvik {

// How the heightmap measures in the world: the metres its values 0..65535
// span, and the metres from one cell to the next.
struct TerrainScale {
    double relief = 512;
    double cell = 1;

    double Metres(double value) const { return value * relief / 65535; }
};

// The rise of the finer heights per metre across the map, toward its right
// (east) and toward its bottom (south), from the cells either side; one
// side only at an edge that does not wrap.
struct Gradient {
    double east;
    double south;
};
Gradient GradientAt(const LandLayers& layers, const TerrainScale& scale, int32_t x, int32_t y);

// The slope there, in degrees from the level.
double SlopeDegrees(const Gradient& gradient);

}  // namespace morvik
