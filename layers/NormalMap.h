#pragma once

#include <cstdint>
#include <span>

#include "layers/LandLayers.h"
#include "layers/TerrainScale.h"

namespace morvik {

// Which way a normal map's green points: toward the map's top (OpenGL's
// convention, Unity's and Godot's), or its bottom (DirectX's, Unreal's).
enum class NormalY { kUp, kDown };

// The tangent-space normals of the finer heights at `scale`, each an 8-bit
// RGB triple (x right, y as `normalY` says, z out of the ground; -1..1 to
// 0..255), for `width` cells of row y from `left`, into `rgb`.
void NormalRow(const LandLayers& layers, const TerrainScale& scale, NormalY normalY, int32_t y,
               int32_t left, std::span<uint8_t> rgb);

}  // namespace morvik
