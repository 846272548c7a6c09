#include "terrain/Erosion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "terrain/CellGrid.h"
#include "terrain/Drainage.h"
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
void Creep(const LandSurface& from, LandSurface& to, int32_t threads) {
    const int32_t width = from.size.Width();
    const int32_t height = from.size.Height();
    ForEachBand(width, threads, [&](int32_t, int32_t first, int32_t end) {
        for (int32_t x = first; x < end; ++x) {
            const float* left = from.Column(std::max(x - 1, 0));
            const float* here = from.Column(x);
            const float* right = from.Column(std::min(x + 1, width - 1));
            float* out = to.Column(x);
            // Beyond the edge the nearest column or row stands in.
            const auto across = [&](int32_t y) { return left[y] + here[y] + right[y]; };
            for (int32_t y = 0; y < height; ++y) {
                const float above = y > 0 ? across(y - 1) : across(y);
                const float beneath = y + 1 < height ? across(y + 1) : across(y);
                out[y] = here[y] + (above + across(y) + beneath - 9 * here[y]) * (kCreep / 2);
            }
        }
    });
}

void CreepPasses(LandSurface& land, int32_t passes, int32_t threads,
                 const std::function<void(double)>& progress) {
    LandSurface other(land.size);
    for (int32_t pass = 0; pass < passes; ++pass) {
        Creep(land, other, threads);
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
double FillHollows(LandSurface& land, float seaLevel, int32_t threads) {
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
    DrainToSea(levels, size, seaTop);
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
    explicit RunOff(MapSize size)
        : size_(size),
          ways_(static_cast<std::size_t>(size.Cells())),
          order_(static_cast<std::size_t>(size.Cells())) {
        for (std::size_t way = 1; way < kSteps.size(); ++way) {
            steps_[way] = kSteps[way][0] * size.Height() + kSteps[way][1];
        }
    }

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
            const int32_t neighbour = cell + steps_[way];
            if (ways_[neighbour] == 9 - way) lowest = std::min(lowest, heights[neighbour]);
        }
        return lowest;
    }
    int32_t Below(int32_t cell) const { return cell + steps_[ways_[cell]]; }
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

    MapSize size_;
    std::array<int32_t, 9> steps_{};
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
                if (x > 0 && y > 0 && x + 1 < width && y + 1 < rows && here >= seaLevel) {
                    const float diagonal = 2 - Fixed(uint64_t{static_cast<uint32_t>(storm)} << 32 |
                                                     static_cast<uint32_t>(cell));
                    float steepest = 0;
                    for (uint8_t candidate = 1; candidate <= 8; ++candidate) {
                        const float drop = (here - land.heights[cell + steps_[candidate]]) /
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
    const int32_t width = size_.Width();
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
                const int32_t nx = x + kSteps[way][0];
                const int32_t ny = y + kSteps[way][1];
                if (nx < 0 || ny < 0 || nx >= width || ny >= rows) continue;
                const int32_t neighbour = cell + steps_[way];
                if (ways_[neighbour] == 9 - way) waiting_.push_back(neighbour);
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
    Ends(LandSurface& land, float seaLevel) : land_(land), seaLevel_(seaLevel) {}

    void Leave(int32_t cell, float sediment);
    double CarriedAway() const { return carriedAway_; }

  private:
    LandSurface& land_;
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
    if (x == 0 || y == 0 || x == land_.size.Width() - 1 || y == rows - 1) {
        carriedAway_ += sediment;
        return;
    }
    int32_t lowest = cell;
    for (int32_t nx = x - 1; nx <= x + 1; ++nx) {
        for (int32_t ny = y - 1; ny <= y + 1; ++ny) {
            const int32_t neighbour = nx * rows + ny;
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
double Storm(LandSurface& land, float seaLevel, int32_t storm, RunOff& runOff, int32_t threads) {
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

    Ends ends(land, seaLevel);
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
    CreepPasses(land, kCreepPasses, settings.threads,
                [&](double share) { progress(kCreepShare * share); });
    ErosionTally tally{.hollowsFilled = FillHollows(land, settings.seaLevel, settings.threads)};
    const double stormShare = 1 - kCreepShare - kAfterShare;
    {
        RunOff runOff(land.size);
        for (int32_t storm = 0; storm < settings.storms; ++storm) {
            tally.carriedAway += Storm(land, settings.seaLevel, storm, runOff, settings.threads);
            progress(kCreepShare + stormShare * (storm + 1) / settings.storms);
        }
    }
    CreepPasses(land, kAfterPasses, settings.threads,
                [&](double share) { progress(1 - kAfterShare + kAfterShare * share); });
    return tally;
}

}  // namespace morvik
