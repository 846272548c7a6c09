#include "terrain/Erosion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "terrain/CellGrid.h"
#include "terrain/Drainage.h"
#include "terrain/Neighbours.h"
#include "terrain/ParallelFor.h"

namespace morvik {

namespace {

// Before the rain, loose ground creeps downhill, which smooths away the
// steps of single circles, over about two cells.
constexpr int32_t kCreepPasses = 20;
constexpr float kCreep = 0.1F;  // share of a height difference that moves in a pass
// After it, more creep rounds the valleys off.
constexpr int32_t kAfterPasses = 16;
// Each storm's water cuts into the ground where it gathers, the more the
// more water (the square root of the cells it comes from), and carries the
// sediment down as far as its capacity, which grows with water and slope,
// lets it: the rest settles, a share at each cell.
constexpr float kCutting = 0.5F;
constexpr float kCarrying = 10;
constexpr float kSettling = 0.05F;

// The share of the work before, during and after the storms.
constexpr double kCreepShare = 0.1;
constexpr double kAfterShare = 0.05;

// Moves a share of every height difference between neighbours, of the eight,
// from the higher cell to the lower, all pairs at once: `from` is left as it
// was and `to` takes the result.
void Creep(const LandSurface& from, LandSurface& to, Wrap wrap, int32_t threads) {
    const int32_t width = from.size.Width();
    const int32_t height = from.size.Height();
    // Beyond an edge the nearest column or row stands in; across a wrapped
    // one, the other edge's.
    const int32_t lastX = WrapsColumns(wrap) ? 0 : width - 1;
    const int32_t firstX = WrapsColumns(wrap) ? width - 1 : 0;
    const int32_t lastY = WrapsRows(wrap) ? 0 : height - 1;
    const int32_t firstY = WrapsRows(wrap) ? height - 1 : 0;
    ForEachBand(width, threads, [&](int32_t, int32_t first, int32_t end) {
        for (int32_t x = first; x < end; ++x) {
            const float* left = from.Column(x > 0 ? x - 1 : firstX);
            const float* here = from.Column(x);
            const float* right = from.Column(x + 1 < width ? x + 1 : lastX);
            float* out = to.Column(x);
            const auto across = [&](int32_t y) { return left[y] + here[y] + right[y]; };
            for (int32_t y = 0; y < height; ++y) {
                const float above = across(y > 0 ? y - 1 : firstY);
                const float beneath = across(y + 1 < height ? y + 1 : lastY);
                out[y] = here[y] + (above + across(y) + beneath - 9 * here[y]) * (kCreep / 2);
            }
        }
    });
}

void CreepPasses(LandSurface& land, int32_t passes, Wrap wrap, int32_t threads,
                 const std::function<void(double)>& progress) {
    LandSurface other(land.size);
    for (int32_t pass = 0; pass < passes; ++pass) {
        Creep(land, other, wrap, threads);
        std::swap(land.heights, other.heights);
        progress(static_cast<double>(pass + 1) / passes);
    }
}

// A number in 0..1 for each key, the same on every run.
float Fixed(uint64_t key) {
    uint64_t z = (key + 1) * 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return static_cast<float>((z ^ (z >> 31)) >> 40) * 0x1.0p-24F;
}

// Lifts every hollow the creep left to where water can leave it, with the
// drainage's gentle slope across the filled ground, so that the storms'
// water runs all the way to the sea or the edge.
// Returns how much ground that added.
double FillHollows(LandSurface& land, float seaLevel, Wrap wrap, int32_t threads) {
    const MapSize size = land.size;
    const WholeLevels whole = WholeLevelsOf(land, kDrainableTop, threads);
    CellGrid levels(size);
    WriteLevels(whole.levels, levels, size);
    // Only levels wholly below the sea's are the flood's sea: a land cell
    // taken for sea would be left a hollow.
    const int32_t seaTop =
        whole.step > 0
            ? static_cast<int32_t>(std::floor((seaLevel - whole.bottom) / whole.step - 0.5)) - 1
            : -1;
    DrainToSea(levels, size, seaTop, wrap);
    double added = 0;
    for (std::size_t cell = 0; cell < land.heights.size(); ++cell) {
        const int32_t level = levels.Column(0)[cell];
        if (level > whole.levels[cell]) {
            // Up to half a level more breaks the ties between filled
            // neighbours, whose water would otherwise run in straight lines,
            // and leaves every lifted cell above the cell it drains to.
            const auto lifted =
                static_cast<float>(whole.bottom + (level + Fixed(cell) / 2) * whole.step);
            added += lifted - land.heights[cell];
            land.heights[cell] = lifted;
        }
    }
    return added;
}

// Where each cell's water goes, and an order of the cells in which each
// comes after the cell its water goes to: river tree by river tree, from
// the mouth up, so that cells near in the order lie near on the map.
class RunOff {
  public:
    RunOff(MapSize size, Wrap wrap)
        : size_(size),
          neighbours_(size, wrap),
          ways_(static_cast<std::size_t>(size.Cells())),
          order_(static_cast<std::size_t>(size.Cells())) {}

    // Water runs down the steepest drop of its eight neighbours, and stays
    // in the sea, off the edge, or in a hollow it cannot leave. A diagonal
    // drop counts as if 1 to 2 cells away, at random for each cell and
    // storm: on smooth slopes water then keeps to the slope's own direction
    // on average, where the steepest of eight fixed ways would send it down
    // parallel straight lines.
    void Find(const LandSurface& land, float seaLevel, int32_t storm, int32_t threads);

    bool Runs(int32_t cell) const { return ways_[cell] != kStays; }
    // The lowest of the neighbours whose water comes to a cell away from the
    // edge; none: the largest float.
    float LowestAbove(int32_t cell, const float* heights) const {
        float lowest = std::numeric_limits<float>::max();
        for (uint8_t way = 1; way <= 8; ++way) {
            const int32_t neighbour = Step(cell, way);
            if (ways_[neighbour] == 9 - way) lowest = std::min(lowest, heights[neighbour]);
        }
        return lowest;
    }
    int32_t Below(int32_t cell) const { return Step(cell, ways_[cell]); }
    float Distance(int32_t cell) const { return kDistances[ways_[cell]]; }
    const std::vector<int32_t>& Order() const { return order_; }

  private:
    static constexpr uint8_t kStays = 0;
    // Ways 1..8 to the neighbours, across and down, and how far each is;
    // way w's opposite is 9 - w.
    static constexpr std::array<std::array<int32_t, 2>, 9> kSteps{
        {{0, 0}, {-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}}};
    static constexpr float kDiagonal = 1.41421356F;
    static constexpr std::array<float, 9> kDistances{0, kDiagonal, 1, kDiagonal, 1,
                                                     1, kDiagonal, 1, kDiagonal};

    void OrderTrees();
    int32_t Step(int32_t cell, uint8_t way) const {
        return neighbours_.Of(cell, kSteps[way][0], kSteps[way][1]);
    }

    MapSize size_;
    Neighbours neighbours_;
    std::vector<uint8_t> ways_;
    std::vector<int32_t> order_;
    std::vector<int32_t> waiting_;  // the river trees' cells still to order
};

void RunOff::Find(const LandSurface& land, float seaLevel, int32_t storm, int32_t threads) {
    const int32_t width = size_.Width();
    const int32_t rows = size_.Height();
    ForEachBand(width, threads, [&](int32_t, int32_t first, int32_t end) {
        for (int32_t x = first; x < end; ++x) {
            for (int32_t y = 0; y < rows; ++y) {
                const int32_t cell = x * rows + y;
                const float here = land.heights[cell];
                uint8_t way = kStays;
                if (!neighbours_.OnEdge(x, y) && here >= seaLevel) {
                    const float diagonal = 2 - Fixed(uint64_t{static_cast<uint32_t>(storm)} << 32 |
                                                     static_cast<uint32_t>(cell));
                    float steepest = 0;
                    for (uint8_t candidate = 1; candidate <= 8; ++candidate) {
                        const int32_t neighbour =
                            neighbours_.At(x, y, kSteps[candidate][0], kSteps[candidate][1]);
                        const float drop = (here - land.heights[neighbour]) /
                                           (kDistances[candidate] == 1 ? 1 : diagonal);
                        if (drop > steepest) {
                            steepest = drop;
                            way = candidate;
                        }
                    }
                }
                ways_[cell] = way;
            }
        }
    });
    OrderTrees();
}

// Depth first from each cell whose water stays, through the cells whose
// water comes to it.
void RunOff::OrderTrees() {
    const int32_t rows = size_.Height();
    std::size_t placed = 0;
    for (int32_t root = 0; root < size_.Cells(); ++root) {
        if (ways_[root] != kStays) continue;
        waiting_.push_back(root);
        while (!waiting_.empty()) {
            const int32_t cell = waiting_.back();
            waiting_.pop_back();
            order_[placed++] = cell;
            const int32_t x = cell / rows;
            const int32_t y = cell % rows;
            for (uint8_t way = 1; way <= 8; ++way) {
                const int32_t neighbour = neighbours_.At(x, y, kSteps[way][0], kSteps[way][1]);
                if (neighbour >= 0 && ways_[neighbour] == 9 - way) waiting_.push_back(neighbour);
            }
        }
    }
}

// The cells water stays in, and what becomes of the sediment it brings
// there. A river's mouth fills toward the sea's level, never to it, and the
// sea carries the rest away, as the edge does; a hollow, which the storms
// make only rarely, fills up toward its lowest neighbour, and the rest is
// left on that.
class Ends {
  public:
    Ends(LandSurface& land, float seaLevel, Wrap wrap)
        : land_(land), neighbours_(land.size, wrap), seaLevel_(seaLevel) {}

    void Leave(int32_t cell, float sediment);
    double CarriedAway() const { return carriedAway_; }

  private:
    LandSurface& land_;
    Neighbours neighbours_;
    float seaLevel_;
    double carriedAway_ = 0;
};

void Ends::Leave(int32_t cell, float sediment) {
    const int32_t rows = land_.size.Height();
    const int32_t x = cell / rows;
    const int32_t y = cell % rows;
    float& height = land_.heights[cell];
    if (height < seaLevel_) {
        const float settled = std::min(sediment, std::nextafter(seaLevel_, height) - height);
        height += settled;
        carriedAway_ += sediment - settled;
        return;
    }
    if (neighbours_.OnEdge(x, y)) {
        carriedAway_ += sediment;
        return;
    }
    int32_t lowest = cell;
    for (int32_t dx = -1; dx <= 1; ++dx) {
        for (int32_t dy = -1; dy <= 1; ++dy) {
            const int32_t neighbour = neighbours_.At(x, y, dx, dy);
            if (neighbour != cell &&
                (lowest == cell || land_.heights[neighbour] < land_.heights[lowest])) {
                lowest = neighbour;
            }
        }
    }
    float& spill = land_.heights[lowest];
    const float settled = std::clamp((spill - height) / 2, 0.0F, sediment);
    height += settled;
    spill += sediment - settled;
}

// One storm over the whole map; returns the sediment carried away, off the
// edge or out to sea.
double Storm(LandSurface& land, float seaLevel, Wrap wrap, int32_t storm, RunOff& runOff,
             int32_t threads) {
    const MapSize size = land.size;
    float* heights = land.heights.data();
    runOff.Find(land, seaLevel, storm, threads);
    const std::vector<int32_t>& order = runOff.Order();

    // A cell of rain on every cell, gathered downhill.
    std::vector<float> water(static_cast<std::size_t>(size.Cells()), 1.0F);
    for (auto cell = order.rbegin(); cell != order.rend(); ++cell) {
        if (runOff.Runs(*cell)) water[runOff.Below(*cell)] += water[*cell];
    }

    // The cutting, solved for the height the cell will have once the cell
    // below it has its own, which keeps any amount of it stable; it never
    // cuts a cell down to the cell its water goes to, even where the
    // difference is finer than a float tells.
    std::vector<float> sediment(static_cast<std::size_t>(size.Cells()), 0.0F);
    for (const int32_t cell : order) {
        if (!runOff.Runs(cell)) continue;
        const float below = heights[runOff.Below(cell)];
        float& height = heights[cell];
        const float cutting = kCutting * std::sqrt(water[cell]) / runOff.Distance(cell);
        const float cut = std::min((height - below) * cutting / (1 + cutting),
                                   height - std::nextafter(below, height));
        height -= cut;
        sediment[cell] = cut;
    }

    Ends ends(land, seaLevel, wrap);
    for (auto at = order.rbegin(); at != order.rend(); ++at) {
        const int32_t cell = *at;
        float carried = sediment[cell];
        float& height = heights[cell];
        if (!runOff.Runs(cell)) {
            ends.Leave(cell, carried);
            continue;
        }
        const int32_t below = runOff.Below(cell);
        const float slope = std::max(height - heights[below], 0.0F) / runOff.Distance(cell);
        const float capacity = kCarrying * std::sqrt(water[cell]) * slope;
        if (carried > capacity) {
            // Never as high as a cell whose water comes here: that would
            // make a hollow of it.
            const float ceiling = std::nextafter(runOff.LowestAbove(cell, heights), height);
            const float room = std::max(ceiling - height, 0.0F) / 2;
            const float settled = std::clamp((carried - capacity) * kSettling, 0.0F, room);
            height += settled;
            carried -= settled;
        }
        sediment[below] += carried;
    }
    return ends.CarriedAway();
}

}  // namespace

ErosionTally Erode(LandSurface& land, const ErosionSettings& settings) {
    const auto progress = [&](double share) {
        if (settings.progress) settings.progress(share);
    };
    const Wrap wrap = settings.wrap;
    CreepPasses(land, kCreepPasses, wrap, settings.threads,
                [&](double share) { progress(kCreepShare * share); });
    ErosionTally tally{.hollowsFilled =
                           FillHollows(land, settings.seaLevel, wrap, settings.threads)};
    const double stormShare = 1 - kCreepShare - kAfterShare;
    {
        RunOff runOff(land.size, wrap);
        for (int32_t storm = 0; storm < settings.storms; ++storm) {
            tally.carriedAway +=
                Storm(land, settings.seaLevel, wrap, storm, runOff, settings.threads);
            progress(kCreepShare + stormShare * (storm + 1) / settings.storms);
        }
    }
    CreepPasses(land, kAfterPasses, wrap, settings.threads,
                [&](double share) { progress(1 - kAfterShare + kAfterShare * share); });
    return tally;
}

}  // namespace morvik
