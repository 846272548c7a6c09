#include "terrain/Heightmap.h"

#include <algorithm>
#include <atomic>
#include <cstddef>

#include "terrain/ParallelFor.h"
#include "terrain/SeaLevel.h"

namespace morvik {

namespace {

constexpr int64_t kTop = 65535;
constexpr int64_t kLevels = kTop + 1;

// The 16-bit value of each height rank 0..ranks-1, whose ranks up to
// seaTop are sea. Spread evenly, which keeps every rank apart when there
// are few enough of them; otherwise sea and land are spread over their own
// sides of the sea level, so that they never meet.
int64_t ValueOfRank(int64_t rank, int64_t ranks, int64_t seaTop) {
    if (ranks == 1) return 0;
    if (ranks <= kLevels || seaTop == ranks - 1) return rank * kTop / (ranks - 1);
    const int64_t seaLevel = std::min(seaTop * kTop / (ranks - 1), kTop - 1);
    if (rank <= seaTop) return seaTop == 0 ? 0 : rank * seaLevel / seaTop;
    const int64_t landRanks = ranks - 1 - (seaTop + 1);
    if (landRanks == 0) return kTop;
    return seaLevel + 1 + (rank - seaTop - 1) * (kTop - 1 - seaLevel) / landRanks;
}

}  // namespace

Heightmap MakeHeightmap(const CellGrid& heights, MapSize size, int32_t seaTop, int32_t threads) {
    const HeightExtremes extremes = FindExtremes(heights, size, threads);

    // Which heights occur, then each one's rank among them; a run's sea is
    // never empty, so the lowest rank is sea.
    const auto slots = static_cast<std::size_t>(int64_t{extremes.highest} - extremes.lowest + 1);
    const auto slotOf = [&](int32_t height) {
        return static_cast<std::size_t>(int64_t{height} - extremes.lowest);
    };
    std::vector<std::atomic<uint8_t>> occurs(slots);
    ForEachBand(size.Width(), threads, [&](int32_t, int32_t first, int32_t end) {
        for (int32_t x = first; x < end; ++x) {
            const int32_t* column = heights.Column(x);
            for (int32_t y = 0; y < size.Height(); ++y) {
                occurs[slotOf(column[y])].store(1, std::memory_order_relaxed);
            }
        }
    });
    std::vector<int32_t> table(slots, 0);
    int64_t ranks = 0;
    int64_t seaRank = 0;
    for (std::size_t slot = 0; slot < slots; ++slot) {
        if (occurs[slot].load(std::memory_order_relaxed) == 0) continue;
        const auto height = static_cast<int32_t>(extremes.lowest + static_cast<int64_t>(slot));
        if (height <= seaTop) seaRank = ranks;
        table[slot] = static_cast<int32_t>(ranks++);
    }
    for (int32_t& slot : table) slot = static_cast<int32_t>(ValueOfRank(slot, ranks, seaRank));

    Heightmap map{size, ZeroedVector<uint16_t>(static_cast<std::size_t>(size.Cells())),
                  static_cast<uint16_t>(ValueOfRank(seaRank, ranks, seaRank))};
    // A band of columns at a time: the cells lie column by column, the
    // values row by row.
    ForEachBand(size.Width(), threads, [&](int32_t, int32_t first, int32_t end) {
        for (int32_t y = 0; y < size.Height(); ++y) {
            uint16_t* row = &map.values[static_cast<std::size_t>(y) * size.Width()];
            for (int32_t x = first; x < end; ++x) {
                row[x] = static_cast<uint16_t>(table[slotOf(heights.At(x, y))]);
            }
        }
    });
    return map;
}

}  // namespace morvik
