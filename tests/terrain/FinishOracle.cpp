#include "tests/terrain/FinishOracle.h"

#include <algorithm>

namespace morvik {

std::vector<int32_t> FinishPassByPass(CellGrid& heights, MapSize size, int32_t seaTarget) {
    int32_t highest = -50000;
    int32_t lowest = 50000;
    for (int32_t x = 0; x < size.Width(); ++x) {
        for (int32_t y = 0; y < size.Height(); ++y) {
            highest = std::max(highest, heights.At(x, y));
            lowest = std::min(lowest, heights.At(x, y));
        }
    }
    const int64_t span = int64_t{highest} - lowest;
    for (int32_t x = 0; x < size.Width(); ++x) {
        for (int32_t y = 0; y < size.Height(); ++y) {
            int32_t& cell = heights.At(x, y);
            cell = span == 0 ? 0 : static_cast<int32_t>((cell - int64_t{lowest}) * 100 / span);
        }
    }
    std::vector<int32_t> reports;
    int32_t permille = 0;
    while (permille < seaTarget) {
        int32_t seaCells = 0;
        for (int32_t x = 0; x < size.Width(); ++x) {
            for (int32_t y = 0; y < size.Height(); ++y) seaCells += --heights.At(x, y) <= 0;
        }
        permille = static_cast<int32_t>(int64_t{seaCells} * 1000 / size.Cells());
        reports.push_back(seaCells);
    }
    return reports;
}

}  // namespace morvik
