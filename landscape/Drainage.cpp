#include "landscape/Drainage.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "landscape/Neighbours.h"
#include "terrain/ERangeError.h"
#include "terrain/ParallelFor.h"

namespace morvik {

namespace {

constexpr int32_t kLevels = 65536;
constexpr int32_t kNone = -1;

// Cells waiting, by height, each height's in the order they came: the flood
// takes the lowest first, and whatever it adds lies higher still, so each
// height's list is whole by the time the flood comes to it.
class CellsByHeight {
  public:
    explicit CellsByHeight(int32_t cells) : next_(static_cast<std::size_t>(cells), kNone) {
        first_.fill(kNone);
        last_.fill(kNone);
    }

    void Add(int32_t cell, int32_t height) {
        if (last_[height] == kNone) {
            first_[height] = cell;
        } else {
            next_[last_[height]] = cell;
        }
        last_[height] = cell;
    }

    int32_t First(int32_t height) const { return first_[height]; }
    int32_t After(int32_t cell) const { return next_[cell]; }

  private:
    std::vector<int32_t> next_;
    std::array<int32_t, kLevels> first_;
    std::array<int32_t, kLevels> last_;
};

}  // namespace

// A priority flood from the sea and the edge inward: each cell it reaches
// is lifted, where it must be, to one above the cell it was reached from.
void DrainToSea(CellGrid& heights, MapSize size, int32_t seaTop, Wrap wrap) {
    const int32_t width = size.Width();
    const int32_t rows = size.Height();
    for (int32_t x = 0; x < width; ++x) {
        const int32_t* column = heights.Column(x);
        if (std::any_of(column, column + rows,
                        [](int32_t height) { return height < 0 || height > kDrainableTop; })) {
            throw ERangeError("a height to drain is beyond 0.." + std::to_string(kDrainableTop));
        }
    }
    const Neighbours neighbours(size, wrap);
    const auto waiting = std::make_unique<CellsByHeight>(size.Cells());
    std::vector<uint8_t> reached(static_cast<std::size_t>(size.Cells()), 0);
    for (int32_t x = 0; x < width; ++x) {
        for (int32_t y = 0; y < rows; ++y) {
            const int32_t height = heights.At(x, y);
            if (height <= seaTop || neighbours.OnEdge(x, y)) {
                reached[x * rows + y] = 1;
                waiting->Add(x * rows + y, height);
            }
        }
    }
    for (int32_t level = 0; level < kLevels; ++level) {
        for (int32_t cell = waiting->First(level); cell != kNone; cell = waiting->After(cell)) {
            const int32_t x = cell / rows;
            const int32_t y = cell % rows;
            for (int32_t dx = -1; dx <= 1; ++dx) {
                for (int32_t dy = -1; dy <= 1; ++dy) {
                    const int32_t neighbour = neighbours.At(x, y, dx, dy);
                    if (neighbour < 0 || reached[neighbour] != 0) continue;
                    reached[neighbour] = 1;
                    int32_t& height = heights.At(neighbour / rows, neighbour % rows);
                    height = std::max(height, level + 1);
                    waiting->Add(neighbour, height);
                }
            }
        }
    }
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
