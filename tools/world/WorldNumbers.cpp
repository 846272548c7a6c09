#include "tools/world/WorldNumbers.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <vector>

#include "terrain/SeaLevel.h"

namespace morvik {

namespace {

// Calls visit(grid, size) with each of the rank's tiles' own cells in the
// corner of a grid.
void ForEachOwnedGrid(const BatchOptions& options, const RankShare& share, const RankLand& land,
                      const std::function<void(const CellGrid&, MapSize)>& visit) {
    for (std::size_t i = 0; i < share.tiles.size(); ++i) {
        const MapSize owned = OwnedPart(*share.tiles[i], options);
        if (!land.seaTop) {
            visit(share.Heights(i), owned);
            continue;
        }
        const PartWindow& window = land.parts->Windows()[i];
        CellGrid cells(owned);
        for (int32_t x = 0; x < owned.Width(); ++x) {
            std::copy_n(land.heights[i].Column(window.left + x) + window.above, owned.Height(),
                        cells.Column(x));
        }
        visit(cells, owned);
    }
}

}  // namespace

WorldNumbers AgreeOnNumbers(const BatchOptions& options, const RankGroup& ranks,
                            const RankShare& share, const RankLand& land) {
    const auto eachGrid = [&](const std::function<void(const CellGrid&, MapSize)>& visit) {
        ForEachOwnedGrid(options, share, land, visit);
    };
    HeightExtremes extremes{.highest = INT32_MIN, .lowest = INT32_MAX};
    eachGrid([&](const CellGrid& cells, MapSize size) {
        const HeightExtremes held = FindExtremes(cells, size);
        extremes = Widened(extremes, held.highest, held.lowest);
    });
    std::vector<int64_t> least{extremes.lowest};
    std::vector<int64_t> most{extremes.highest};
    ranks.Least(least);
    ranks.Most(most);
    extremes = {.highest = static_cast<int32_t>(most[0]), .lowest = static_cast<int32_t>(least[0])};
    RescaledCounts cellsAt{};
    std::vector<uint8_t> occurs(
        static_cast<std::size_t>(int64_t{extremes.highest} - extremes.lowest + 1), 0);
    eachGrid([&](const CellGrid& cells, MapSize size) {
        const RescaledCounts held = CountRescaled(cells, size, extremes);
        for (std::size_t level = 0; level < cellsAt.size(); ++level) cellsAt[level] += held[level];
        const std::vector<uint8_t> present = OccurringHeights(cells, size, extremes);
        for (std::size_t slot = 0; slot < occurs.size(); ++slot) occurs[slot] |= present[slot];
    });
    ranks.Sum(cellsAt);
    ranks.Most(occurs);
    WorldNumbers numbers{};
    if (!land.seaTop) {
        const int32_t passes =
            LoweringPasses(cellsAt, options.run.World(), options.run.seaShare * 100,
                           [&](int64_t cells) { numbers.seaCells = cells; });
        numbers.finish = {extremes, passes};
        numbers.seaTop = HighestSeaOf(extremes, passes);
        numbers.finished = {.highest = kRescaledTop - passes, .lowest = -passes};
    } else {
        // The erosion chose the sea: the finish lowers the land to it.
        numbers.seaTop = *land.seaTop;
        const int32_t passes = std::max(
            1, Rescaling(extremes)(std::clamp(numbers.seaTop, extremes.lowest, extremes.highest)));
        numbers.finish = {extremes, passes, numbers.seaTop};
        std::vector<int64_t> sea{0};
        std::vector<int64_t> lowest{INT32_MAX};
        std::vector<int64_t> highest{INT32_MIN};
        eachGrid([&](const CellGrid& cells, MapSize size) {
            for (int32_t x = 0; x < size.Width(); ++x) {
                for (int32_t y = 0; y < size.Height(); ++y) {
                    const int32_t finished = numbers.finish.Finished(cells.At(x, y));
                    sea[0] += finished <= 0 ? 1 : 0;
                    lowest[0] = std::min<int64_t>(lowest[0], finished);
                    highest[0] = std::max<int64_t>(highest[0], finished);
                }
            }
        });
        ranks.Sum(sea);
        ranks.Least(lowest);
        ranks.Most(highest);
        numbers.seaCells = sea[0];
        numbers.finished = {.highest = static_cast<int32_t>(highest[0]),
                            .lowest = static_cast<int32_t>(lowest[0])};
    }
    numbers.values = ValuesOfHeights(occurs, extremes, numbers.seaTop);
    return numbers;
}

}  // namespace morvik
