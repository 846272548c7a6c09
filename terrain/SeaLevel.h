#pragma once

#include <array>
#include <cstdint>

#include "terrain/CellGrid.h"
#include "terrain/MapSize.h"
#include "terrain/Terrain.h"
#include "terrain/WorldSize.h"

namespace morvik {

// The arithmetic of a run's finish, for the finish itself and for whatever
// must know which heights it makes sea, of a map held whole or of a world
// (WorldSize): heights stay within 32 bits, the counts of cells are taken in
// 64, and so are the products below.

inline constexpr int32_t kRescaledTop = 100;

// The cells of each rescaled height, 0..100.
using RescaledCounts = std::array<int64_t, kRescaledTop + 1>;

// The highest and lowest height of the map's corner. These and the other
// passes over the cells spread over `threads` threads, a band each.
HeightExtremes FindExtremes(const CellGrid& heights, MapSize size, int32_t threads = 1);

// Heights mapped onto 0..100 between the extremes, cut toward zero; 0 on a
// flat map. The quotient comes from a product with the span's reciprocal,
// which can fall short of the exact one by a hair only where that one is a
// whole number, and is mended there: exact, without a division a cell.
class Rescaling {
  public:
    explicit Rescaling(HeightExtremes extremes)
        : lowest_(extremes.lowest),
          span_(int64_t{extremes.highest} - extremes.lowest),
          reciprocal_(span_ == 0 ? 0.0 : 1.0 / static_cast<double>(span_)) {}

    int32_t operator()(int32_t height) const {
        const int64_t scaled = (height - lowest_) * kRescaledTop;
        auto rescaled = static_cast<int64_t>(static_cast<double>(scaled) * reciprocal_);
        if (span_ != 0 && (rescaled + 1) * span_ <= scaled) ++rescaled;
        return static_cast<int32_t>(rescaled);
    }

  private:
    int64_t lowest_;
    int64_t span_;
    double reciprocal_;
};

inline int32_t RescaledHeight(int32_t height, HeightExtremes extremes) {
    return Rescaling(extremes)(height);
}

// Per mille of the map's cells that seaCells are, cut toward zero.
inline int32_t SeaPermille(int64_t seaCells, WorldSize size) {
    return static_cast<int32_t>(seaCells * 1000 / size.Cells());
}

RescaledCounts CountRescaled(const CellGrid& heights, MapSize size, HeightExtremes extremes,
                             int32_t threads = 1);

// How many lowering passes, one rescaled height each, bring the sea to
// seaTarget per mille: at least one, at most 100 (then every cell is sea).
// The report sees the sea cells after every pass.
int32_t LoweringPasses(const RescaledCounts& cellsAt, WorldSize size, int32_t seaTarget,
                       const SeaCellsReport& report = {});

// The highest height that rescales within `passes` between these extremes:
// what the finish makes sea.
int32_t HighestSeaOf(HeightExtremes extremes, int32_t passes);

// The highest height the finish of these heights makes sea, for a run with
// this sea target: every cell at or below it, and none above.
int32_t HighestSea(const CellGrid& heights, MapSize size, int32_t seaTarget, int32_t threads = 1);

}  // namespace morvik
