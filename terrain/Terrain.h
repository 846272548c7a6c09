#pragma once

#include <cstdint>
#include <functional>

#include "terrain/CellGrid.h"
#include "terrain/ColourTable.h"
#include "terrain/GenerationJob.h"
#include "terrain/HeightField.h"
#include "terrain/MapSize.h"
#include "terrain/PixelView.h"
#include "terrain/RandomSource.h"
#include "terrain/TickSource.h"

namespace morvik {

struct HeightExtremes {
    int32_t Highest;
    int32_t Lowest;
};

// Called after every lowering pass with the number of cells then at or below 0.
using SeaCellsReport = std::function<void(int32_t seaCells)>;

// The map generator: its grids, run counters, colour table and random source.
// Every operation works on the top-left corner of the size it is given (the
// map bitmap's); a program holds one for its whole life. About 12 MB: make
// it static or on the heap.
class Terrain {
  public:
    explicit Terrain(TickSource& ticks) : ticks_(ticks) {}

    // Zeroes the map's corner and sets up a run of
    // roughness * ((inputW * inputH) / 50) + roughness * 400 iterations.
    // Throws ERangeError unless roughness is 1..5, seaShare 1..9 and the
    // inputs within the map limits.
    void StartGeneration(MapSize size, int32_t roughness, int32_t seaShare, int32_t inputW,
                         int32_t inputH);

    // Four tick-bounded draws, one circle, one more iteration done.
    void CircleIteration(MapSize size);

    // Rescales the corner to 0..100, then lowers it pass by pass until the sea
    // target is met, reporting after every pass.
    void FinishGeneration(MapSize size, const SeaCellsReport& report);

    // Lowers every cell of the corner by one, without limit.
    void LowerAllCells(MapSize size);

    void BuildColourTable() { colourTable_.Fill(ColourEndpoints); }

    // Draws the heights through the colour table; returns the extremes met.
    HeightExtremes RenderMap(const PixelView& map);

    // Draws land cells that touch the sea on a side black, all else white.
    // The heights stay as they were.
    void RenderCoastline(const PixelView& map);

    const GenerationJob& Job() const { return job_; }
    const RandomSource& Random() const { return random_; }
    const ColourTable& Colours() const { return colourTable_; }
    // The heights with every change so far folded in. Read at once: the
    // next iteration's changes are pending again. Writes go through
    // SetHeight, which folds first, so that none lands on stale cells.
    const CellGrid& Heights() { return heightField_.Cells(); }
    void SetHeight(int32_t x, int32_t y, int32_t height) { heightField_.Cells().At(x, y) = height; }
    const CellGrid& Scratch() const { return scratchField_; }

  private:
    int32_t Draw() { return static_cast<int32_t>(random_.RandomBelow(ticks_.Ticks())); }

    TickSource& ticks_;
    RandomSource random_;
    HeightField heightField_;
    CellGrid scratchField_;  // the coastline view's copy of the heights
    GenerationJob job_;
    ColourTable colourTable_;
};

}  // namespace morvik
