#include "landscape/Drainage.h"

#include <algorithm>
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

}  // namespace

// A priority flood from the sea and the edge inward: each cell it reaches
// is lifted, where it must be, to one above the cell it was reached from.
// The cells waiting are kept by height, each height's in the order they
// came: the flood takes the lowest first, and whatever it adds lies higher
// still, so each height's list is whole by the time the flood comes to it.
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
    std::vector<std::vector<int32_t>> waiting(kLevels);
    for (int32_t x = 0; x < width; ++x) {
        for (int32_t y = 0; y < rows; ++y) {
            int32_t& height = heights.At(x, y);
            if (height <= seaTop || neighbours.OnEdge(x, y)) {
                waiting[height].push_back(x * rows + y);
                height |= kReached;
            }
        }
    }
    for (int32_t level = 0; level < kLevels; ++level) {
        for (const int32_t cell : waiting[level]) {
            const int32_t x = cell / rows;
            const int32_t y = cell % rows;
            // Away from the edges a neighbour is a step along the column
            // and across; at them, the neighbours' rule.
            const bool inside = x > 0 && x + 1 < width && y > 0 && y + 1 < rows;
            for (int32_t dx = -1; dx <= 1; ++dx) {
                for (int32_t dy = -1; dy <= 1; ++dy) {
                    int32_t nx = x + dx;
                    int32_t ny = y + dy;
                    if (!inside) {
                        const int32_t neighbour = neighbours.At(x, y, dx, dy);
                        if (neighbour < 0) continue;
                        nx = neighbour / rows;
                        ny = neighbour % rows;
                    }
                    int32_t& height = heights.Column(nx)[ny];
                    if ((height & kReached) != 0) continue;
                    height = std::max(height, level + 1);
                    waiting[height].push_back(nx * rows + ny);
                    height |= kReached;
                }
            }
        }
        std::vector<int32_t>().swap(waiting[level]);
    }
    for (int32_t x = 0; x < width; ++x) {
        int32_t* column = heights.Column(x);
        for (int32_t y = 0; y < rows; ++y) column[y] &= ~kReached;
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
