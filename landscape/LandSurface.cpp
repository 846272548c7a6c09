#include "landscape/LandSurface.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "terrain/ParallelFor.h"

namespace morvik {

SurfaceExtremes ExtremesOf(const LandSurface& land, int32_t threads) {
    const MapSize size = land.size;
    std::vector<SurfaceExtremes> bands(BandsOf(size.Width()));
    ForEachBand(size.Width(), threads, [&](int32_t band, int32_t first, int32_t end) {
        const auto [low, high] =
            std::minmax_element(land.Column(first), land.Column(end - 1) + size.Height());
        bands[band] = {*low, *high};
    });
    SurfaceExtremes extremes = bands.front();
    for (const SurfaceExtremes& band : bands) {
        extremes = {std::min(extremes.lowest, band.lowest),
                    std::max(extremes.highest, band.highest)};
    }
    return extremes;
}

double LevelStep(SurfaceExtremes extremes, int32_t top) {
    const double span = static_cast<double>(extremes.highest) - extremes.lowest;
    // A hair over the span's share, so that the highest cell stays within top.
    return span > 0 ? span / top * (1 + 1e-9) : 1;
}

// A cell's level counts whole steps from the sea level, sea below it and
// land from one above the sea top up, so the parting needs no comparison.
int32_t WriteWholeLevels(const LandSurface& land, float seaLevel, int32_t top, CellGrid& cells,
                         int32_t threads) {
    return WriteWholeLevels(land, seaLevel, top, ExtremesOf(land, threads), cells, threads);
}

int32_t WriteWholeLevels(const LandSurface& land, float seaLevel, int32_t top,
                         SurfaceExtremes extremes, CellGrid& cells, int32_t threads) {
    const MapSize size = land.size;
    const double step = LevelStep(extremes, top);
    const double sea = seaLevel;
    const auto seaTop = static_cast<int32_t>(std::ceil((sea - extremes.lowest) / step)) - 1;
    ForEachBand(size.Width(), threads, [&](int32_t, int32_t first, int32_t end) {
        for (int32_t x = first; x < end; ++x) {
            const float* from = land.Column(x);
            int32_t* to = cells.Column(x);
            for (int32_t y = 0; y < size.Height(); ++y) {
                const auto level =
                    seaTop + 1 + static_cast<int64_t>(std::floor((from[y] - sea) / step));
                to[y] = static_cast<int32_t>(std::clamp<int64_t>(level, 0, top));
            }
        }
    });
    return seaTop;
}

LandSurface SurfaceOfLevels(const CellGrid& cells, MapSize size, int32_t threads) {
    LandSurface land(size);
    ForEachBand(size.Width(), threads, [&](int32_t, int32_t first, int32_t end) {
        for (int32_t x = first; x < end; ++x) {
            std::transform(cells.Column(x), cells.Column(x) + size.Height(), land.Column(x),
                           [](int32_t level) { return static_cast<float>(level); });
        }
    });
    return land;
}

}  // namespace morvik
