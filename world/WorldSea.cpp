#include "world/WorldSea.h"

#include <algorithm>
#include <cstring>
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
    std::vector<std::byte> bytes(mine.size() * sizeof(TiedCell));
    std::memcpy(bytes.data(), mine.data(), bytes.size());
    const std::vector<std::vector<std::byte>> all = links.Swap(
        std::vector<std::vector<std::byte>>(static_cast<std::size_t>(links.Ranks()), bytes));
    std::vector<TiedCell> tied;
    for (const std::vector<std::byte>& from : all) {
        const std::size_t first = tied.size();
        tied.resize(first + from.size() / sizeof(TiedCell));
        std::memcpy(tied.data() + first, from.data(), from.size());
    }
    return tied;
}

}  // namespace

std::vector<LandSurface> RankWorldSea(const PartWindows& parts,
                                      const std::vector<CellGrid>& heights, int32_t seaTarget,
                                      const RankLinks& links) {
    const WorldSize world = parts.World();
    const int64_t seaCells = (int64_t{seaTarget} * world.Cells() + 999) / 1000;
    const HeightExtremes extremes = WorldExtremes(parts, heights, links);
    const int64_t lowest = extremes.lowest;
    const int32_t shift = SeaBucketShift(extremes);

    // The level the sea ends in, bucket first, then within it.
    const SeaRank bucket =
        FindSeaRank(CountByBucket(parts, heights, lowest, shift, -1, links), seaCells);
    const SeaRank within =
        FindSeaRank(CountByBucket(parts, heights, lowest, shift, bucket.bucket, links),
                    seaCells - bucket.below);
    const auto level =
        static_cast<int32_t>(lowest + (int64_t{bucket.bucket} << shift) + within.bucket);
    const int64_t tiedSea = seaCells - bucket.below - within.below;

    std::vector<TiedCell> tied = TiedCells(parts, heights, level, links);
    std::nth_element(tied.begin(), tied.begin() + (tiedSea - 1), tied.end());
    std::vector<int64_t> sea(static_cast<std::size_t>(tiedSea));
    std::transform(tied.begin(), tied.begin() + tiedSea, sea.begin(),
                   [](const TiedCell& cell) { return cell.cell; });
    std::sort(sea.begin(), sea.end());

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
