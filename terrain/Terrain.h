#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "terrain/CellGrid.h"
#include "terrain/Circle.h"
#include "terrain/ColourTable.h"
#include "terrain/GenerationJob.h"
#include "terrain/HeightField.h"
#include "terrain/MapSize.h"
#include "terrain/PixelView.h"
#include "terrain/RandomSource.h"
#include "terrain/TickSource.h"
#include "terrain/Wrap.h"

namespace morvik {

struct HeightExtremes {
    int32_t highest;
    int32_t lowest;
};

// The extremes taking in a higher and a lower height too.
inline HeightExtremes Widened(HeightExtremes extremes, int32_t highest, int32_t lowest) {
    return {.highest = std::max(extremes.highest, highest),
            .lowest = std::min(extremes.lowest, lowest)};
}

// The extremes of several parts together; there is at least one part.
inline HeightExtremes Widest(const std::vector<HeightExtremes>& parts) {
    HeightExtremes extremes = parts.front();
    for (const HeightExtremes& part : parts)
        extremes = Widened(extremes, part.highest, part.lowest);
    return extremes;
}

// Called after every lowering pass with the number of cells then at or below 0.
using SeaCellsReport = std::function<void(int64_t seaCells)>;
// Told the run's counters after each batch of iterations.
using IterationsReport = std::function<void(const GenerationJob& job)>;

// Reshapes a run's heights before its finish (wears them, say), and returns
// the highest of them that is to be sea.
using LandShaper = std::function<int32_t(CellGrid& heights, int32_t seaTarget)>;

// The map generator: its grids, run counters, colour table and random source.
// Every operation works on the top-left corner of the size it is given (the
// map bitmap's), which must lie within the capacity the generator was made
// with (ERangeError otherwise). The grids take 5 bytes a cell of capacity,
// and the coastline view 4 more once it is first drawn. A program holds one
// for its whole life.
class Terrain {
  public:
    // The longer operations spread their work over `threads` threads; every
    // result is the same for any number.
    Terrain(TickSource& ticks, MapSize capacity, int32_t threads = 1)
        : ticks_(ticks), threads_(threads), heightField_(capacity, threads) {}

    // Zeroes the map's corner and sets up a run of
    // roughness * ((inputW * inputH) / 50) + roughness * 400 iterations, on
    // a map whose edges meet as `wrap` says until the next run.
    // Throws ERangeError unless roughness is 1..5, seaShare 1..9 and the
    // inputs 1..MapSize::kLargestSide.
    void StartGeneration(MapSize size, int32_t roughness, int32_t seaShare, int32_t inputW,
                         int32_t inputH, Wrap wrap = Wrap::kNone);

    // Four tick-bounded random numbers, one circle, one more iteration done.
    void CircleIteration(MapSize size);

    // Up to `count` more iterations at once, where the program's timer takes
    // them one by one; in batches, each reported once done.
    void TakeIterations(MapSize size, int32_t count, const IterationsReport& report = {});
    // Every iteration still to do, as above.
    void CompleteIterations(MapSize size, const IterationsReport& report = {}) {
        TakeIterations(size, job_.TotalIterations - job_.IterationsDone, report);
    }

    // The heights reshaped by `shaper`, given the run's sea target; returns
    // the shaper's highest sea height, for FinishAtSea.
    int32_t ShapeLand(const LandShaper& shaper) {
        return shaper(heightField_.Cells(), job_.SeaTarget);
    }

    // Rescales the corner to 0..100, then lowers it pass by pass until the sea
    // target is met, reporting after every pass.
    void FinishGeneration(MapSize size, const SeaCellsReport& report);

    // The finish for a sea chosen before it: rescaled to 0..100 as above and
    // lowered by as many passes (one at least) as bring the highest sea
    // height, seaTop, to 0; every higher height is then land, 1 at least.
    // The report sees each pass's sea cells, the last pass's being every cell
    // up to seaTop.
    void FinishAtSea(MapSize size, int32_t seaTop, const SeaCellsReport& report);

    // Lowers every cell of the corner by one, without limit.
    void LowerAllCells(MapSize size);

    void BuildColourTable() { colourTable_.Fill(ColourEndpoints); }

    // Draws the heights through the colour table; returns the extremes met.
    HeightExtremes RenderMap(const PixelView& map);

    // Draws land cells that touch the sea on a side black, all else white.
    // The heights stay as they were.
    void RenderCoastline(const PixelView& map);

    const GenerationJob& Job() const { return job_; }
    Wrap Wrapping() const { return wrap_; }
    const RandomSource& Random() const { return random_; }
    const ColourTable& Colours() const { return colourTable_; }
    // The heights with every change so far folded in. Read at once: the
    // next iteration's changes are pending again. Writes go through
    // SetHeight, which folds first, so that none lands on stale cells.
    const CellGrid& Heights() { return heightField_.Cells(); }
    void SetHeight(int32_t x, int32_t y, int32_t height) { heightField_.Cells().At(x, y) = height; }
    // The coastline view's copy of the heights; none before the first view.
    const CellGrid* Scratch() const { return scratchField_ ? &*scratchField_ : nullptr; }

  private:
    Circle TakeCircle(MapSize size);

    TickSource& ticks_;
    int32_t threads_;
    RandomSource random_;
    // Throws ERangeError unless the grids hold a map of this size.
    void RequireHeld(MapSize size);

    HeightField heightField_;
    std::optional<CellGrid> scratchField_;  // the coastline view's copy of the heights
    GenerationJob job_;
    Wrap wrap_ = Wrap::kNone;
    ColourTable colourTable_;
};

}  // namespace morvik
