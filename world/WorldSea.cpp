#include "world/WorldSea.h"

#include <algorithm>
#include <span>

#include "landscape/RankedSea.h"
#include "world/WindowExtremes.h"

namespace morvik {

namespace {

// The world's cells in each bucket of heights from `lowest`, `shift` bits
// to a bucket; or, for onlyBucket, in each height of that bucket.
std::vector<int64_t> CountByBucket(const PartWindows& parts, const std::vector<CellGrid>& heights,
                                   int64_t lowest, int32_t shift, int64_t onlyBucket,
                                   const RankLinks& links) {
    std::vector<int64_t> counts(kSeaBuckets, 0);
    for (std::size_t i = 0; i < parts.Windows().size(); ++i) {
        parts.Windows()[i].ForEachOwned([&](int32_t cell) {
            const int64_t above = int64_t{heights[i][cell]} - lowest;
            const int64_t bucket = above >> shift;
            if (onlyBucket < 0) {
                ++counts[bucket];
            } else if (bucket == onlyBucket) {
                ++counts[above - (bucket << shift)];
            }
        });
    }
    links.Sum(counts);
    return counts;
}

// Every rank's cells of the level, with their neighbourhoods.
std::vector<TiedCell> TiedCells(const PartWindows& parts, const std::vector<CellGrid>& heights,
                                int32_t level, const RankLinks& links) {
    const WorldSize world = parts.World();
    std::vector<TiedCell> mine;
    for (std::size_t i = 0; i < parts.Windows().size(); ++i) {
        const PartWindow& window = parts.Windows()[i];
        window.ForEachOwned([&](int32_t cell) {
            if (heights[i][cell] != level) return;
            // Beyond the world's edge, the window ends: the level stands in.
            int64_t around = heights[i][cell] + int64_t{8} * level;
            window.ForEachNeighbour(
                cell, [&](int32_t neighbour) { around += int64_t{heights[i][neighbour]} - level; });
            const int32_t rows = window.size.Height();
            const int64_t x = window.region.left + cell / rows - window.left;
            const int64_t y = window.region.top + cell % rows - window.above;
            mine.push_back({around, x * world.Height() + y});
        });
    }
    return GatherAll(links, mine);
}

}  // namespace

std::vector<LandSurface> RankWorldSea(const PartWindows& parts,
                                      const std::vector<CellGrid>& heights, int32_t seaTarget,
                                      const RankLinks& links) {
    const WorldSize world = parts.World();
    const int64_t seaCells = (int64_t{seaTarget} * world.Cells() + 999) / 1000;
    const SeaEnd end =
        FindSeaEnd(WorldExtremes(parts, heights, links), seaCells,
                   [&](int64_t lowest, int32_t shift, int64_t onlyBucket) {
                       return CountByBucket(parts, heights, lowest, shift, onlyBucket, links);
                   });
    const std::vector<int64_t> sea =
        SeaOfTied(TiedCells(parts, heights, end.level, links), end.tiedSea);
    const int32_t level = end.level;

    std::vector<LandSurface> lands;
    for (std::size_t i = 0; i < parts.Windows().size(); ++i) {
        const PartWindow& window = parts.Windows()[i];
        LandSurface& land = lands.emplace_back(window.size);
        const int32_t rows = window.size.Height();
        window.ForEachOwned([&](int32_t cell) {
            float height = static_cast<float>(int64_t{heights[i][cell]} - level);
            if (heights[i][cell] == level) {
                const int64_t x = window.region.left + cell / rows - window.left;
                const int64_t y = window.region.top + cell % rows - window.above;
                if (!std::binary_search(sea.begin(), sea.end(), x * world.Height() + y)) {
                    height = 0.5F;
                }
            }
            land.heights[cell] = height;
        });
    }
    return lands;
}

}  // namespace morvik
