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

HeightValues MakeValueTable(const CellGrid& heights, MapSize size, int32_t seaTop,
                            int32_t threads) {
    const HeightExtremes extremes = FindExtremes(heights, size, threads);
    return ValuesOfHeights(OccurringHeights(heights, size, extremes, threads), extremes, seaTop);
}

}  // namespace

std::vector<uint8_t> OccurringHeights(const CellGrid& heights, MapSize size, HeightExtremes within,
                                      int32_t threads) {
    const auto slots = static_cast<std::size_t>(int64_t{within.highest} - within.lowest + 1);
    std::vector<std::atomic<uint8_t>> occurs(slots);
    ForEachBand(size.Width(), threads, [&](int32_t, int32_t first, int32_t end) {
        for (int32_t x = first; x < end; ++x) {
            const int32_t* column = heights.Column(x);
            for (int32_t y = 0; y < size.Height(); ++y) {
                occurs[static_cast<std::size_t>(int64_t{column[y]} - within.lowest)].store(
                    1, std::memory_order_relaxed);
            }
        }
    });
    std::vector<uint8_t> occurring(slots);
    for (std::size_t slot = 0; slot < slots; ++slot) {
        occurring[slot] = occurs[slot].load(std::memory_order_relaxed);
    }
    return occurring;
}

HeightValues ValuesOfHeights(std::span<const uint8_t> occurs, HeightExtremes extremes,
                             int32_t seaTop) {
    HeightValues table{extremes, std::vector<int32_t>(occurs.size(), -1), 0};
    // Each occurring height's rank among them; a run's sea is never empty,
    // so the lowest rank is sea.
    int64_t ranks = 0;
    int64_t seaRank = 0;
    for (std::size_t slot = 0; slot < occurs.size(); ++slot) {
        if (occurs[slot] == 0) continue;
        const auto height = static_cast<int32_t>(extremes.lowest + static_cast<int64_t>(slot));
        if (height <= seaTop) seaRank = ranks;
        table.values[slot] = static_cast<int32_t>(ranks++);
    }
    for (int32_t& value : table.values) {
        if (value >= 0) value = static_cast<int32_t>(ValueOfRank(value, ranks, seaRank));
    }
    table.seaLevel = static_cast<uint16_t>(ValueOfRank(seaRank, ranks, seaRank));
    return table;
}

Heightmap MakeHeightmap(const CellGrid& heights, MapSize size, int32_t seaTop, int32_t threads) {
    return HeightmapOf(heights, size, MakeValueTable(heights, size, seaTop, threads), threads);
}

Heightmap HeightmapOf(const CellGrid& heights, MapSize size, const HeightValues& table,
                      int32_t threads) {
    Heightmap map{size, ZeroedVector<uint16_t>(static_cast<std::size_t>(size.Cells())),
                  table.seaLevel};
    // A band of columns at a time: the cells lie column by column, the
    // values row by row.
    ForEachBand(size.Width(), threads, [&](int32_t, int32_t first, int32_t end) {
        for (int32_t y = 0; y < size.Height(); ++y) {
            uint16_t* row = &map.values[static_cast<std::size_t>(y) * size.Width()];
            for (int32_t x = first; x < end; ++x) {
                row[x] = table.Of(heights.At(x, y));
            }
        }
    });
    return map;
}

ZeroedVector<float> MakeFineHeights(const CellGrid& heights, MapSize size, int32_t seaTop,
                                    std::span<const float> levels, int32_t threads) {
    return FineHeightsOf(heights, size, seaTop, MakeValueTable(heights, size, seaTop, threads),
                         levels, threads);
}

ZeroedVector<float> FineHeightsOf(const CellGrid& heights, MapSize size, int32_t seaTop,
                                  const HeightValues& table, std::span<const float> levels,
                                  int32_t threads) {
    // The gap from each height's value to the next value up and down; a
    // hair short of it, so that the finer heights never meet the next.
    constexpr double kShort = 0.999;
    const std::size_t slots = table.values.size();
    std::vector<float> up(slots, 0);
    std::vector<float> down(slots, 0);
    for (std::size_t slot = 0, last = 0; slot < slots; ++slot) {
        if (table.values[slot] < 0) continue;
        if (slot > 0) {
            const double gap = table.values[slot] - table.values[last];
            up[last] = static_cast<float>(gap * kShort);
            down[slot] = static_cast<float>(gap * kShort);
        }
        last = slot;
    }
    ZeroedVector<float> fine(static_cast<std::size_t>(size.Cells()));
    ForEachBand(size.Width(), threads, [&](int32_t, int32_t first, int32_t end) {
        for (int32_t y = 0; y < size.Height(); ++y) {
            float* row = &fine[static_cast<std::size_t>(y) * size.Width()];
            for (int32_t x = first; x < end; ++x) {
                const int32_t height = heights.At(x, y);
                const std::size_t slot = table.SlotOf(height);
                float value = static_cast<float>(table.values[slot]);
                if (!levels.empty()) {
                    const float share =
                        levels[static_cast<std::size_t>(x) * size.Height() + y] - height;
                    // A cell lifted or cut after its level was taken keeps it whole.
                    if (share >= 0 && share < 1) {
                        value += height <= seaTop ? -(1 - share) * down[slot] : share * up[slot];
                    }
                }
                row[x] = value;
            }
        }
    });
    return fine;
}

}  // namespace morvik
