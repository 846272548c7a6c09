#include "landscape/RockUplift.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "terrain/ParallelFor.h"

namespace morvik {

namespace {

constexpr float kTop = 65535;

// Heights above the sea (none for the sea) averaged over a box `reach`
// cells each way, along one axis: columns when `across`, else rows. Beyond
// an edge that does not wrap the box is cut short.
void MeanAlong(LandSurface& land, int32_t reach, bool across, bool wraps, int32_t threads) {
    const int32_t width = land.size.Width();
    const int32_t rows = land.size.Height();
    const int32_t lines = across ? rows : width;
    const int32_t length = across ? width : rows;
    const auto cell = [&](int32_t line, int32_t at) -> float& {
        return across ? land.At(at, line) : land.At(line, at);
    };
    ParallelFor((lines + kBandWidth - 1) / kBandWidth, threads, [&](int32_t band) {
        std::vector<float> from(static_cast<std::size_t>(length));
        for (int32_t line = band * kBandWidth; line < std::min(lines, (band + 1) * kBandWidth);
             ++line) {
            for (int32_t at = 0; at < length; ++at) from[at] = cell(line, at);
            const auto value = [&](int32_t at) {
                if (at >= 0 && at < length) return from[at];
                return wraps ? from[(at % length + length) % length] : 0.0F;
            };
            double sum = 0;
            for (int32_t at = -reach; at <= reach; ++at) sum += value(at);
            for (int32_t at = 0; at < length; ++at) {
                const int32_t count =
                    wraps ? 2 * reach + 1
                          : std::min(at + reach, length - 1) - std::max(at - reach, 0) + 1;
                cell(line, at) = static_cast<float>(sum / count);
                sum += value(at + reach + 1) - value(at - reach);
            }
        }
    });
}

}  // namespace

RockUplift::RockUplift(const LandSurface& land, float seaLevel, float rate, float lowland,
                       int32_t reach, Wrap wrap, int32_t threads)
    : shares_(land.heights.size()) {
    const float relief = std::max(ExtremesOf(land, threads).highest - seaLevel, 0.0F);
    base_ = rate * lowland * relief;
    if (relief == 0) return;
    LandSurface ground = land;
    for (float& height : ground.heights) height = std::max(height - seaLevel, 0.0F);
    for (int32_t pass = 0; pass < 2; ++pass) {
        MeanAlong(ground, reach, true, WrapsColumns(wrap), threads);
        MeanAlong(ground, reach, false, WrapsRows(wrap), threads);
    }
    const float highest = std::max(ExtremesOf(ground, threads).highest, 1e-30F);
    perShare_ = rate * highest / kTop;
    for (std::size_t cell = 0; cell < shares_.size(); ++cell) {
        shares_[cell] = static_cast<uint16_t>(std::lround(ground.heights[cell] / highest * kTop));
    }
}

}  // namespace morvik
