#include "landscape/Hillslopes.h"

#include <algorithm>
#include <cmath>

#include "landscape/BoxMean.h"
#include "landscape/Stencil.h"
#include "terrain/ParallelFor.h"

namespace morvik {

namespace {

constexpr float kDiagonal = 1.41421356F;

}  // namespace

// A diffusion spreads each way by a variance of twice its diffusivity
// times the time; a box of reach r by r (r + 1) / 3, and moving a share of
// the way to its mean by that share of it.
int32_t CreepReach(float spread) {
    const float variance = 2 * spread;
    int32_t reach = 1;
    while (static_cast<float>(reach * (reach + 1)) / 3 < variance) ++reach;
    return reach;
}

void Creep(LandSurface& land, float seaLevel, float spread, const GridPart& part,
           ZeroedVector<float>& ground, ZeroedVector<float>& across, int32_t threads) {
    const float variance = 2 * spread;
    const int32_t reach = CreepReach(spread);
    const float share = variance * 3 / static_cast<float>(reach * (reach + 1));
    ForEachCell(land.size.Width(), land.size.Height(), threads,
                [&](int32_t cell) { ground[cell] = std::max(land.heights[cell], seaLevel); });
    MeanDown(ground, across, land.size, reach, part.rows, part.firstRow, part.endRow, threads);
    MeanAcross(across, ground, land.size, reach, part.columns, part.firstColumn, part.endColumn,
               threads);
    ForEachBand(
        part.endColumn - part.firstColumn, threads, [&](int32_t, int32_t first, int32_t end) {
            for (int32_t x = part.firstColumn + first; x < part.firstColumn + end; ++x) {
                float* column = land.Column(x);
                const float* mean = &ground[static_cast<std::size_t>(x) * land.size.Height()];
                for (int32_t y = part.firstRow; y < part.endRow; ++y) {
                    const float height = column[y];
                    if (height >= seaLevel) column[y] = height + share * (mean[y] - height);
                }
            }
        });
}

void TalusPass(LandSurface& land, float seaLevel, float talusSlope, bool first, Wrap wrap,
               ZeroedVector<float>& sediment, int32_t threads) {
    const float talus = talusSlope;
    const float diagonalTalus = talus * kDiagonal;
    float* const fallen = sediment.data();
    ApplyStencil(land, wrap, threads, [=](const Neighbourhood& around, int32_t cell) {
        const float height = around.here;
        const auto surface = [=](float there) { return std::max(there, seaLevel); };
        const float across =
            std::min(std::min(surface(around.across[0]), surface(around.across[1])),
                     std::min(surface(around.across[2]), surface(around.across[3])));
        const float diagonal =
            std::min(std::min(surface(around.diagonal[0]), surface(around.diagonal[1])),
                     std::min(surface(around.diagonal[2]), surface(around.diagonal[3])));
        const float limit = std::min(across + talus, diagonal + diagonalTalus);
        const bool land = height >= seaLevel;
        const float fall = land ? std::max(height - limit, 0.0F) : 0;
        fallen[cell] = (first ? 0 : fallen[cell]) + fall;
        return height - fall;
    });
}

void ShapeHillslopes(LandSurface& land, float seaLevel, const Hillslopes& hillslopes, Wrap wrap,
                     ZeroedVector<float>& scratch, ZeroedVector<float>& sediment, int32_t threads) {
    if (hillslopes.spread > 0) {
        Creep(land, seaLevel, hillslopes.spread,
              GridPart::Whole(land.size, WrapsColumns(wrap), WrapsRows(wrap)), scratch, sediment,
              threads);
    }
    for (int32_t pass = 0; pass < hillslopes.talusPasses; ++pass) {
        TalusPass(land, seaLevel, hillslopes.talusSlope, pass == 0, wrap, sediment, threads);
    }
}

}  // namespace morvik
