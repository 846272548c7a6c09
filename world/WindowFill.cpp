#include "world/WindowFill.h"

#include <algorithm>
#include <climits>

namespace morvik {

namespace {

constexpr int32_t kUnreached = INT32_MAX;

// The cells waiting for a priority flood, by level, lowest first.
class LevelQueue {
  public:
    explicit LevelQueue(std::size_t levels) : waiting_(levels) {}

    void Push(int32_t level, int32_t cell) {
        waiting_[level].push_back(cell);
        lowest_ = std::min(lowest_, level);
        ++count_;
    }

    // Takes every cell in turn; reach(level, cell) pushes only higher.
    template <typename Reach>
    void Drain(Reach reach) {
        for (int32_t level = lowest_; count_ > 0; ++level) {
            std::vector<int32_t>& cells = waiting_[level];
            for (const int32_t cell : cells) reach(level, cell);
            count_ -= cells.size();
            std::vector<int32_t>().swap(cells);
        }
        lowest_ = INT32_MAX;
    }

  private:
    std::vector<std::vector<int32_t>> waiting_;
    int32_t lowest_ = INT32_MAX;
    std::size_t count_ = 0;
};

}  // namespace

std::vector<CellGrid> FillWindows(const PartWindows& parts, const std::vector<CellGrid>& levels,
                                  int32_t seaTop, const RankLinks& links) {
    const std::vector<PartWindow>& windows = parts.Windows();
    int32_t highest = seaTop;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        for (int32_t cell = 0; cell < windows[i].size.Cells(); ++cell) {
            highest = std::max(highest, levels[i][cell]);
        }
    }
    const WorldSize world = parts.World();
    LevelQueue queue(static_cast<std::size_t>(highest) + 2 +
                     static_cast<std::size_t>(std::max(world.Width(), world.Height())));
    std::vector<CellGrid> filled;
    std::vector<std::vector<int32_t>> rings(windows.size());
    const auto flood = [&](std::size_t i) {
        const PartWindow& window = windows[i];
        CellGrid& heights = filled[i];
        queue.Drain([&](int32_t level, int32_t cell) {
            if (heights[cell] != level) return;  // came lower since
            window.ForEachNeighbour(cell, [&](int32_t neighbour) {
                if (!window.Owns(neighbour)) return;
                const int32_t lifted = std::max(levels[i][neighbour], level + 1);
                if (lifted < heights[neighbour]) {
                    heights[neighbour] = lifted;
                    queue.Push(lifted, neighbour);
                }
            });
        });
    };
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const PartWindow& window = windows[i];
        rings[i] = window.Ring();
        CellGrid& cells = filled.emplace_back(window.size);
        std::fill_n(&cells[0], window.size.Cells(), kUnreached);
        for (int32_t x = window.left; x < window.left + window.region.size.Width(); ++x) {
            for (int32_t y = window.above; y < window.above + window.region.size.Height(); ++y) {
                const auto cell = static_cast<int32_t>(window.Index(x, y));
                if (levels[i][cell] <= seaTop || parts.OnWorldEdge(window, x, y)) {
                    filled[i][cell] = levels[i][cell];
                    queue.Push(levels[i][cell], cell);
                }
            }
        }
        flood(i);
    }
    for (;;) {
        std::vector<std::vector<int32_t>> before(windows.size());
        for (std::size_t i = 0; i < windows.size(); ++i) {
            for (const int32_t cell : rings[i]) before[i].push_back(filled[i][cell]);
        }
        parts.Exchange(filled, links);
        bool lower = false;
        for (std::size_t i = 0; i < windows.size(); ++i) {
            for (std::size_t at = 0; at < rings[i].size(); ++at) {
                const int32_t cell = rings[i][at];
                if (filled[i][cell] < before[i][at]) {
                    queue.Push(filled[i][cell], cell);
                    lower = true;
                }
            }
            flood(i);
        }
        if (!links.Any(lower)) break;
    }
    // Ground no way leads from (a world that wraps both ways, without sea)
    // keeps its height.
    for (std::size_t i = 0; i < windows.size(); ++i) {
        for (int32_t cell = 0; cell < windows[i].size.Cells(); ++cell) {
            if (filled[i][cell] == kUnreached) filled[i][cell] = levels[i][cell];
        }
    }
    return filled;
}

}  // namespace morvik
