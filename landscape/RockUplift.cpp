#include "landscape/RockUplift.h"

#include <algorithm>
#include <cmath>

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
    LandSurface ground(size);
    ForEachCell(size.Width(), size.Height(), threads, [&](int32_t cell) {
        ground.heights[cell] = std::max(land.heights[cell] - seaLevel, 0.0F);
    });
    ZeroedVector<float> scratch(ground.heights.size());
    const GridPart whole = GridPart::Whole(size, WrapsColumns(wrap), WrapsRows(wrap));
    for (int32_t pass = 0; pass < 2; ++pass) MeanOnce(ground, reach, whole, scratch, threads);
    *this = RockUplift(ground, relief, ExtremesOf(ground, threads).highest, rate, lowland, threads);
}

RockUplift::RockUplift(const LandSurface& meanGround, float relief, float highestMean, float rate,
                       float lowland, int32_t threads)
    : shares_(meanGround.heights.size()), base_(rate * lowland * relief) {
    if (relief == 0) return;
    const float highest = std::max(highestMean, 1e-30F);
    perShare_ = rate * highest / kTop;
    ForEachCell(meanGround.size.Width(), meanGround.size.Height(), threads, [&](int32_t cell) {
        const float share = std::max(meanGround.heights[cell], 0.0F) / highest;
        shares_[cell] = static_cast<uint16_t>(std::lround(share * kTop));
    });
}

void RockUplift::MeanOnce(LandSurface& ground, int32_t reach, const GridPart& part,
                          ZeroedVector<float>& scratch, int32_t threads) {
    MeanDown(ground.heights, scratch, ground.size, reach, part.rows, part.firstRow, part.endRow,
             threads);
    MeanAcross(scratch, ground.heights, ground.size, reach, part.columns, part.firstColumn,
               part.endColumn, threads);
}

}  // namespace morvik
