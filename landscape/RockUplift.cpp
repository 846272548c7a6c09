#include "landscape/RockUplift.h"

#include <algorithm>
#include <cmath>

#include "landscape/BoxMean.h"
#include "terrain/ParallelFor.h"

namespace morvik {

namespace {

constexpr float kTop = 65535;

}  // namespace

RockUplift::RockUplift(const LandSurface& land, float seaLevel, float rate, float lowland,
                       int32_t reach, Wrap wrap, int32_t threads)
    : shares_(land.heights.size()) {
    const float relief = std::max(ExtremesOf(land, threads).highest - seaLevel, 0.0F);
    base_ = rate * lowland * relief;
    if (relief == 0) return;
    const MapSize size = land.size;
    const auto eachCell = [&](const auto& body) {
        ForEachCell(size.Width(), size.Height(), threads, body);
    };
    LandSurface ground(size);
    eachCell([&](int32_t cell) {
        ground.heights[cell] = std::max(land.heights[cell] - seaLevel, 0.0F);
    });
    ZeroedVector<float> down(ground.heights.size());
    for (int32_t pass = 0; pass < 2; ++pass) {
        MeanDown(ground.heights, down, size, reach, WrapsRows(wrap), threads);
        MeanAcross(down, ground.heights, size, reach, WrapsColumns(wrap), threads);
    }
    const float highest = std::max(ExtremesOf(ground, threads).highest, 1e-30F);
    perShare_ = rate * highest / kTop;
    eachCell([&](int32_t cell) {
        const float share = std::max(ground.heights[cell], 0.0F) / highest;
        shares_[cell] = static_cast<uint16_t>(std::lround(share * kTop));
    });
}

}  // namespace morvik
