#include "landscape/Hillslopes.h"

#include <algorithm>
#include <cmath>

#include "landscape/Stencil.h"

namespace morvik {

namespace {

// The most of the way to the neighbours' mean a pass moves, which keeps
// each pass a smoothing. The neighbours weigh 1/6 across and 1/12
// diagonally: a whole pass diffuses a third of a cell squared.
constexpr float kMostPerPass = 1;
constexpr float kSpreadPerPass = 1.0F / 3;
constexpr float kDiagonal = 1.41421356F;

}  // namespace

void ShapeHillslopes(LandSurface& land, float seaLevel, const Hillslopes& hillslopes, Wrap wrap,
                     ZeroedVector<float>& sediment, int32_t threads) {
    const float shares = hillslopes.spread / kSpreadPerPass;
    const int32_t passes =
        std::max(static_cast<int32_t>(std::ceil(shares / kMostPerPass)), hillslopes.talusPasses);
    const float share = shares / static_cast<float>(passes);
    const float talus = hillslopes.talusSlope;
    for (int32_t pass = 0; pass < passes; ++pass) {
        ApplyStencil(land, wrap, threads, [&](const Neighbourhood& around, int32_t cell) {
            const float height = around.here;
            float across = 0;
            float diagonal = 0;
            float lowestAcross = height;
            float lowestDiagonal = height;
            for (int32_t i = 0; i < 4; ++i) {
                const float side = std::max(around.across[i], seaLevel);
                const float corner = std::max(around.diagonal[i], seaLevel);
                across += side;
                diagonal += corner;
                lowestAcross = std::min(lowestAcross, side);
                lowestDiagonal = std::min(lowestDiagonal, corner);
            }
            const float crept = height + share * (across / 6 + diagonal / 12 - height);
            const float limit = std::min(lowestAcross + talus, lowestDiagonal + talus * kDiagonal);
            const bool land = height >= seaLevel;
            sediment[cell] += land ? std::max(crept - limit, 0.0F) : 0;
            return land ? std::min(crept, limit) : height;
        });
    }
}

}  // namespace morvik
