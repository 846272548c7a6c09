#include "tools/world/WorldNumbers.h"

#include <climits>
#include <vector>

#include "terrain/SeaLevel.h"

namespace morvik {

WorldNumbers AgreeOnNumbers(const BatchOptions& options, const RankGroup& ranks,
                            const RankShare& share) {
    HeightExtremes extremes{.highest = INT32_MIN, .lowest = INT32_MAX};
    for (std::size_t i = 0; i < share.tiles.size(); ++i) {
        const HeightExtremes held = FindExtremes(share.Heights(i), share.tiles[i]->size);
        extremes = Widened(extremes, held.highest, held.lowest);
    }
    std::vector<int64_t> least{extremes.lowest};
    std::vector<int64_t> most{extremes.highest};
    ranks.Least(least);
    ranks.Most(most);
    extremes = {.highest = static_cast<int32_t>(most[0]), .lowest = static_cast<int32_t>(least[0])};
    RescaledCounts cellsAt{};
    std::vector<uint8_t> occurs(
        static_cast<std::size_t>(int64_t{extremes.highest} - extremes.lowest + 1), 0);
    for (std::size_t i = 0; i < share.tiles.size(); ++i) {
        const MapSize owned = OwnedPart(*share.tiles[i], options);
        const RescaledCounts held = CountRescaled(share.Heights(i), owned, extremes);
        for (std::size_t level = 0; level < cellsAt.size(); ++level) cellsAt[level] += held[level];
        const std::vector<uint8_t> present = OccurringHeights(share.Heights(i), owned, extremes);
        for (std::size_t slot = 0; slot < occurs.size(); ++slot) occurs[slot] |= present[slot];
    }
    ranks.Sum(cellsAt);
    ranks.Most(occurs);
    int64_t seaCells = 0;
    const int32_t passes = LoweringPasses(cellsAt, options.run.World(), options.run.seaShare * 100,
                                          [&](int64_t cells) { seaCells = cells; });
    const int32_t seaTop = HighestSeaOf(extremes, passes);
    return {{extremes, passes}, seaCells, seaTop, ValuesOfHeights(occurs, extremes, seaTop)};
}

}  // namespace morvik
