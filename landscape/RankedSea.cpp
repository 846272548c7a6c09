#include "landscape/RankedSea.h"

#include <algorithm>
#include <bit>
#include <span>
#include <vector>

#include "landscape/Neighbours.h"
#include "terrain/ParallelFor.h"
#include "terrain/SeaLevel.h"

namespace morvik {

namespace {

std::vector<int64_t> CountByBucket(const CellGrid& heights, MapSize size, int64_t lowest,
                                   int32_t shift, int64_t onlyBucket, int32_t threads) {
    const auto bucketOf = [&](int32_t height) { return (int64_t{height} - lowest) >> shift; };
    std::vector<std::vector<int64_t>> bands(BandsOf(size.Width()));
    ForEachBand(size.Width(), threads, [&](int32_t band, int32_t first, int32_t end) {
        std::vector<int64_t>& counts = bands[band];
        counts.assign(kSeaBuckets, 0);
        for (int32_t x = first; x < end; ++x) {
            const int32_t* column = heights.Column(x);
            for (int32_t y = 0; y < size.Height(); ++y) {
                const int64_t bucket = bucketOf(column[y]);
                if (onlyBucket < 0) {
                    ++counts[bucket];
                } else if (bucket == onlyBucket) {
                    ++counts[(int64_t{column[y]} - lowest) - (bucket << shift)];
                }
            }
        }
    });
    std::vector<int64_t> counts(kSeaBuckets, 0);
    for (const std::vector<int64_t>& band : bands) {
        for (int32_t bucket = 0; bucket < kSeaBuckets; ++bucket) counts[bucket] += band[bucket];
    }
    return counts;
}

std::vector<TiedCell> CellsAt(const CellGrid& heights, MapSize size, int32_t level, Wrap wrap,
                              int32_t threads) {
    const Neighbours neighbours(size, wrap);
    const int32_t rows = size.Height();
    std::vector<std::vector<TiedCell>> bands(BandsOf(size.Width()));
    ForEachBand(size.Width(), threads, [&](int32_t band, int32_t first, int32_t end) {
        for (int32_t x = first; x < end; ++x) {
            for (int32_t y = 0; y < rows; ++y) {
                if (heights.At(x, y) != level) continue;
                int64_t around = 0;
                for (int32_t dx = -1; dx <= 1; ++dx) {
                    for (int32_t dy = -1; dy <= 1; ++dy) {
                        const int32_t neighbour = neighbours.At(x, y, dx, dy);
                        around +=
                            neighbour < 0 ? level : heights.At(neighbour / rows, neighbour % rows);
                    }
                }
                bands[band].push_back({around, int64_t{x} * rows + y});
            }
        }
    });
    std::vector<TiedCell> cells;
    for (const std::vector<TiedCell>& band : bands)
        cells.insert(cells.end(), band.begin(), band.end());
    return cells;
}

// The bucket the `rank`-th lowest cell (from 1) falls in, and the cells
// below that bucket.
struct SeaRank {
    int32_t bucket;
    int64_t below;
};
SeaRank FindSeaRank(std::span<const int64_t> counts, int64_t rank) {
    int64_t below = 0;
    int32_t bucket = 0;
    while (below + counts[bucket] < rank) below += counts[bucket++];
    return {bucket, below};
}

}  // namespace

SeaEnd FindSeaEnd(HeightExtremes extremes, int64_t seaCells, const BucketCounter& countByBucket) {
    const int64_t lowest = extremes.lowest;
    const auto span = static_cast<uint64_t>(int64_t{extremes.highest} - lowest);
    const int32_t shift = std::max(0, static_cast<int32_t>(std::bit_width(span)) - 16);
    // Bucket first, then within it.
    const SeaRank bucket = FindSeaRank(countByBucket(lowest, shift, -1), seaCells);
    const SeaRank within =
        FindSeaRank(countByBucket(lowest, shift, bucket.bucket), seaCells - bucket.below);
    return {static_cast<int32_t>(lowest + (int64_t{bucket.bucket} << shift) + within.bucket),
            seaCells - bucket.below - within.below};
}

std::vector<int64_t> SeaOfTied(std::vector<TiedCell> tied, int64_t tiedSea) {
    std::nth_element(tied.begin(), tied.begin() + (tiedSea - 1), tied.end());
    std::vector<int64_t> sea(static_cast<std::size_t>(tiedSea));
    std::transform(tied.begin(), tied.begin() + tiedSea, sea.begin(),
                   [](const TiedCell& cell) { return cell.cell; });
    std::sort(sea.begin(), sea.end());
    return sea;
}

RankedSurface RankSea(const CellGrid& heights, MapSize size, int32_t seaTarget, Wrap wrap,
                      int32_t threads) {
    const int64_t seaCells = (int64_t{seaTarget} * size.Cells() + 999) / 1000;
    const SeaEnd end =
        FindSeaEnd(FindExtremes(heights, size, threads), seaCells,
                   [&](int64_t lowest, int32_t shift, int64_t onlyBucket) {
                       return CountByBucket(heights, size, lowest, shift, onlyBucket, threads);
                   });
    const std::vector<int64_t> sea =
        SeaOfTied(CellsAt(heights, size, end.level, wrap, threads), end.tiedSea);
    const int32_t level = end.level;

    // Heights from the sea's level, which a float keeps exactly near it; the
    // land of that level half a step up.
    RankedSurface ranked{LandSurface(size), 0.25F};
    const int32_t rows = size.Height();
    ForEachBand(size.Width(), threads, [&](int32_t, int32_t first, int32_t end) {
        for (int32_t x = first; x < end; ++x) {
            const int32_t* column = heights.Column(x);
            float* to = ranked.land.Column(x);
            for (int32_t y = 0; y < rows; ++y) {
                float height = static_cast<float>(int64_t{column[y]} - level);
                if (column[y] == level &&
                    !std::binary_search(sea.begin(), sea.end(), int64_t{x} * rows + y))
                    height = 0.5F;
                to[y] = height;
            }
        }
    });
    return ranked;
}

}  // namespace morvik
