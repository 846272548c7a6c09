#include "terrain/LandSurface.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "terrain/ParallelFor.h"

namespace morvik {

WholeLevels WholeLevelsOf(const LandSurface& land, uint16_t top, int32_t threads) {
    const MapSize size = land.size;
    std::vector<float> lowest(BandsOf(size.Width()), std::numeric_limits<float>::max());
    std::vector<float> highest(BandsOf(size.Width()), std::numeric_limits<float>::lowest());
    ForEachBand(size.Width(), threads, [&](int32_t band, int32_t first, int32_t end) {
        const auto [low, high] =
            std::minmax_element(land.Column(first), land.Column(end - 1) + size.Height());
        lowest[band] = *low;
        highest[band] = *high;
    });
    const float bottom = *std::min_element(lowest.begin(), lowest.end());
    const float peak = *std::max_element(highest.begin(), highest.end());
    WholeLevels whole{.levels = ZeroedVector<uint16_t>(land.heights.size()),
                      .bottom = bottom,
                      .step = peak > bottom ? (static_cast<double>(peak) - bottom) / top : 0};
    const double perHeight = peak > bottom ? 1 / whole.step : 0;
    ForEachBand(size.Width(), threads, [&](int32_t, int32_t first, int32_t end) {
        for (auto cell = static_cast<std::size_t>(first) * size.Height();
             cell < static_cast<std::size_t>(end) * size.Height(); ++cell) {
            whole.levels[cell] =
                static_cast<uint16_t>(std::lround((land.heights[cell] - bottom) * perHeight));
        }
    });
    return whole;
}

void WriteLevels(const ZeroedVector<uint16_t>& levels, CellGrid& cells, MapSize size) {
    for (int32_t x = 0; x < size.Width(); ++x) {
        const uint16_t* column = &levels[static_cast<std::size_t>(x) * size.Height()];
        std::copy(column, column + size.Height(), cells.Column(x));
    }
}

}  // namespace morvik
