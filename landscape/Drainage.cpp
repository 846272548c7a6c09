#include "landscape/Drainage.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

#include "landscape/Neighbours.h"
#include "terrain/ERangeError.h"
#include "terrain/ParallelFor.h"

namespace morvik {

namespace {

constexpr int32_t kLevels = 65536;
// Marks a cell the flood has reached, in its own height, which stays below
// it: one array to look at where there would be two.
constexpr int32_t kReached = 1 << 30;
// A seed's way out, for breaching: none, the sea or the edge takes it.
constexpr uint8_t kSeed = 9;

// A priority flood from the sea and the edge inward (Barnes et al. 2014):
// the lowest waiting cell reaches its neighbours first, so that the cell a
// neighbour is reached from lies on its lowest way out. A neighbour as low
// as that cell or lower is in a hollow: filling lifts it to one above the
// cell; breaching lowers the way back out instead, each cell on it one
// below the cell before, as far as it is not lower already (and fills where
// that would take land into the sea). The cells waiting are kept by height,
// each height's in the order they came; a cell whose height falls below
// the height the flood is at waits at that height.
class Flood {
  public:
    Flood(CellGrid& heights, MapSize size, int32_t seaTop, Wrap wrap, Hollows hollows)
        : heights_(heights),
          rows_(size.Height()),
          width_(size.Width()),
          seaTop_(seaTop),
          neighbours_(size, wrap),
          waiting_(kLevels),
          ways_(hollows == Hollows::kBreach ? static_cast<std::size_t>(size.Cells()) : 0) {}

    void Run() {
        for (int32_t x = 0; x < width_; ++x) {
            for (int32_t y = 0; y < rows_; ++y) {
                int32_t& height = heights_.At(x, y);
                if (height <= seaTop_ || neighbours_.OnEdge(x, y)) {
                    if (!ways_.empty()) ways_[x * rows_ + y] = kSeed;
                    Wait(x * rows_ + y, height);
                }
            }
        }
        for (level_ = 0; level_ < kLevels; ++level_) {
            // Read by place: cells join the list as it is read.
            for (std::size_t at = 0; at < waiting_[level_].size(); ++at) {
                ReachFrom(waiting_[level_][at]);
            }
            std::vector<int32_t>().swap(waiting_[level_]);
        }
        for (int32_t x = 0; x < width_; ++x) {
            int32_t* column = heights_.Column(x);
            for (int32_t y = 0; y < rows_; ++y) column[y] &= ~kReached;
        }
    }

  private:
    int32_t& Height(int32_t cell) { return heights_.Column(cell / rows_)[cell % rows_]; }

    void Wait(int32_t cell, int32_t height) {
        waiting_[std::max(height, level_)].push_back(cell);
        Height(cell) = height | kReached;
    }

    void ReachFrom(int32_t cell) {
        const int32_t x = cell / rows_;
        const int32_t y = cell % rows_;
        const int32_t here = Height(cell) & ~kReached;
        // Away from the edges a neighbour is a step along the column and
        // across; at them, the neighbours' rule.
        const bool inside = x > 0 && x + 1 < width_ && y > 0 && y + 1 < rows_;
        for (uint8_t way = 0; way < 8; ++way) {
            const int32_t dx = kSteps[way][0];
            const int32_t dy = kSteps[way][1];
            const int32_t neighbour =
                inside ? cell + dx * rows_ + dy : neighbours_.At(x, y, dx, dy);
            if (neighbour < 0 || (Height(neighbour) & kReached) != 0) continue;
            int32_t height = Height(neighbour);
            if (!ways_.empty()) ways_[neighbour] = way;
            if (height <= here && (ways_.empty() || !Breach(height, cell))) height = here + 1;
            Wait(neighbour, height);
        }
    }

    // Lowers the way out from `cell`, for a neighbour of this height;
    // whether it could.
    bool Breach(int32_t height, int32_t cell) {
        for (bool lower : {false, true}) {
            int32_t below = height;
            for (int32_t at = cell;; at = Toward(at)) {
                const int32_t there = Height(at) & ~kReached;
                if (there < below) break;
                if (below - 1 <= seaTop_) return false;
                below -= 1;
                if (lower) Height(at) = below | kReached;
                if (ways_[at] == kSeed) break;
            }
        }
        return true;
    }

    // The cell a reached cell was reached from.
    int32_t Toward(int32_t cell) const {
        const uint8_t way = ways_[cell];
        // The way was taken from the other cell to this one: back is its
        // opposite.
        return neighbours_.At(cell / rows_, cell % rows_, -kSteps[way][0], -kSteps[way][1]);
    }

    static constexpr std::array<std::array<int32_t, 2>, 8> kSteps{
        {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}}};

    CellGrid& heights_;
    int32_t rows_;
    int32_t width_;
    int32_t seaTop_;
    Neighbours neighbours_;
    std::vector<std::vector<int32_t>> waiting_;
    std::vector<uint8_t> ways_;  // breaching only
    int32_t level_ = 0;
};

}  // namespace

void DrainToSea(CellGrid& heights, MapSize size, int32_t seaTop, Wrap wrap, Hollows hollows) {
    for (int32_t x = 0; x < size.Width(); ++x) {
        const int32_t* column = heights.Column(x);
        if (std::any_of(column, column + size.Height(),
                        [](int32_t height) { return height < 0 || height > kDrainableTop; })) {
            throw ERangeError("a height to drain is beyond 0.." + std::to_string(kDrainableTop));
        }
    }
    Flood(heights, size, seaTop, wrap, hollows).Run();
}

bool Drains(const CellGrid& heights, MapSize size, int32_t seaTop, Wrap wrap, int32_t threads) {
    const Neighbours neighbours(size, wrap);
    const int32_t rows = size.Height();
    std::atomic<bool> drains{true};
    ForEachBand(size.Width(), threads, [&](int32_t, int32_t first, int32_t end) {
        for (int32_t x = first; x < end && drains.load(std::memory_order_relaxed); ++x) {
            for (int32_t y = 0; y < rows; ++y) {
                const int32_t height = heights.At(x, y);
                if (height <= seaTop || neighbours.OnEdge(x, y)) continue;
                bool lower = false;
                for (int32_t dx = -1; dx <= 1 && !lower; ++dx) {
                    for (int32_t dy = -1; dy <= 1 && !lower; ++dy) {
                        const int32_t neighbour = neighbours.At(x, y, dx, dy);
                        lower = neighbour >= 0 &&
                                heights.At(neighbour / rows, neighbour % rows) < height;
                    }
                }
                if (!lower) drains.store(false, std::memory_order_relaxed);
            }
        }
    });
    return drains.load();
}

}  // namespace morvik
