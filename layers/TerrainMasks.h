#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "layers/LandLayers.h"
#include "layers/TerrainScale.h"
#include "terrain/ZeroedVector.h"

namespace morvik {

// The 8-bit masks an engine paints its terrain by: where the water is, the
// deposits and the wear, the slope, and four splat weights (sand, grass,
// rock, snow) that add up to 255 at every cell.
enum class Mask { kWater, kDeposit, kWear, kSlope, kSand, kGrass, kRock, kSnow };
inline constexpr std::array kMasks{Mask::kWater, Mask::kDeposit, Mask::kWear, Mask::kSlope,
                                   Mask::kSand,  Mask::kGrass,   Mask::kRock, Mask::kSnow};
inline constexpr std::array kSplatMasks{Mask::kSand, Mask::kGrass, Mask::kRock, Mask::kSnow};

// "water", "deposit", ...: the name each mask's file ends in.
std::string_view MaskName(Mask mask);

// The splat weights of one cell, in kSplatMasks' order.
using SplatWeights = std::array<uint8_t, 4>;

// What the masks measure a cell against: the highest finer height, and the
// deepest deposit and wear (all but the deepest hundredth; 0 for none).
struct MaskScales {
    double highest;
    double deepestDeposit;
    double deepestWear;
};

// The scales of layers that are their own world.
MaskScales ScalesOf(const LandLayers& layers);

// The deepest of a world's deposits or wear from its positive values at
// every SampleStride-th cell, row by row, in any order.
std::size_t SampleStride(int64_t cells);
double DeepestOfSamples(std::vector<float> samples);

class TerrainMasks {
  public:
    // `water` as WaterCells gives it, kept by the caller. The splat weights
    // are worked out here for every cell, on up to `threads` threads.
    TerrainMasks(const LandLayers& layers, const TerrainScale& scale,
                 std::span<const uint8_t> water, int32_t threads = 1);
    // For layers that are part of a world with these scales.
    TerrainMasks(const LandLayers& layers, const TerrainScale& scale,
                 std::span<const uint8_t> water, int32_t threads, const MaskScales& scales);

    // The mask's values for the cells of row y from `left`.
    void Row(Mask mask, int32_t y, int32_t left, std::span<uint8_t> values) const;

    // Sea floor is sand. On land, rock takes the steep and the worn ground,
    // snow the high ground it does not slide off, sand the beaches and the
    // deposits, and grass the rest.
    SplatWeights WeightsAt(int32_t x, int32_t y) const { return weights_[layers_.Index(x, y)]; }

  private:
    SplatWeights Weigh(int32_t x, int32_t y) const;
    // A deposit or a wear as a share 0..1 of the map's deepest (all but the
    // deepest hundredth, which stay 1), square-rooted so that thin ones show.
    double Share(const ZeroedVector<float>& values, double deepest, std::size_t cell) const;
    uint8_t Value(Mask mask, int32_t x, int32_t y) const;

    const LandLayers& layers_;
    TerrainScale scale_;
    std::span<const uint8_t> water_;
    double deepestDeposit_ = 0;
    double deepestWear_ = 0;
    double highest_ = 0;  // the highest finer height
    ZeroedVector<SplatWeights> weights_;
};

}  // namespace morvik
