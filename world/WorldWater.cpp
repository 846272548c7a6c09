#include "world/WorldWater.h"

#include <algorithm>
#include <climits>

#include "landscape/LandSurface.h"
#include "landscape/ReceiverTree.h"
#include "layers/LandLayers.h"
#include "world/WindowPasses.h"

namespace morvik {

namespace {

constexpr int32_t kUnreached = INT32_MAX;

// The cells of a window its part does not own.
std::vector<int32_t> RingOf(const PartWindow& window) {
    std::vector<int32_t> ring;
    for (int32_t x = 0; x < window.size.Width(); ++x) {
        for (int32_t y = 0; y < window.size.Height(); ++y) {
            if (!window.Owns(x, y)) ring.push_back(static_cast<int32_t>(window.Index(x, y)));
        }
    }
    return ring;
}

// Calls visit(neighbour) for each of a window cell's eight within the window.
template <typename Visit>
void ForEachNeighbour(const PartWindow& window, int32_t cell, Visit visit) {
    const int32_t rows = window.size.Height();
    const int32_t x = cell / rows;
    const int32_t y = cell % rows;
    for (int32_t dx = -1; dx <= 1; ++dx) {
        for (int32_t dy = -1; dy <= 1; ++dy) {
            const int32_t nx = x + dx;
            const int32_t ny = y + dy;
            if ((dx != 0 || dy != 0) && nx >= 0 && nx < window.size.Width() && ny >= 0 &&
                ny < rows) {
                visit(nx * rows + ny);
            }
        }
    }
}

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

// The hollows filled as DrainToSea fills them: each cell ends at the least
// height of any way from it to the sea or the world's edge, a way's height
// rising to one above the cell after where the ground is lower. That least
// height is one, however the ways are searched: each window floods from
// its own seeds and its ring, and floods again from each ring cell that
// comes lower, until no ring anywhere does.
std::vector<std::vector<int32_t>> FillWindows(const PartWindows& parts,
                                              const std::vector<std::vector<int32_t>>& levels,
                                              int32_t seaTop, const RankLinks& links) {
    const std::vector<PartWindow>& windows = parts.Windows();
    int32_t highest = seaTop;
    for (const std::vector<int32_t>& window : levels) {
        for (const int32_t level : window) highest = std::max(highest, level);
    }
    const WorldSize world = parts.World();
    LevelQueue queue(static_cast<std::size_t>(highest) + 2 +
                     static_cast<std::size_t>(std::max(world.Width(), world.Height())));
    std::vector<std::vector<int32_t>> filled(windows.size());
    std::vector<std::vector<int32_t>> rings(windows.size());
    const auto flood = [&](std::size_t i) {
        const PartWindow& window = windows[i];
        std::vector<int32_t>& heights = filled[i];
        queue.Drain([&](int32_t level, int32_t cell) {
            if (heights[cell] != level) return;  // came lower since
            ForEachNeighbour(window, cell, [&](int32_t neighbour) {
                const int32_t rows = window.size.Height();
                if (!window.Owns(neighbour / rows, neighbour % rows)) return;
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
        rings[i] = RingOf(window);
        filled[i].assign(levels[i].size(), kUnreached);
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
        for (std::size_t cell = 0; cell < filled[i].size(); ++cell) {
            if (filled[i][cell] == kUnreached) filled[i][cell] = levels[i][cell];
        }
    }
    return filled;
}

// The drainage area as AccumulateDrainageArea counts it, each cell after
// its donors.
std::vector<ZeroedVector<float>> AccumulateWindows(const PartWindows& parts,
                                                   const std::vector<ReceiverTree>& trees,
                                                   const RankLinks& links) {
    std::vector<ZeroedVector<float>> area;
    for (const PartWindow& window : parts.Windows()) {
        area.emplace_back(static_cast<std::size_t>(window.size.Cells()), 0.0F);
    }
    DownstreamWindows(
        parts, trees, links,
        [&](std::size_t i, int32_t cell) {
            float sum = 1;
            trees[i].ForEachDonor(cell, [&](int32_t donor) { sum += area[i][donor]; });
            area[i][cell] = sum;
        },
        [&] { parts.Exchange(area, links); });
    return area;
}

}  // namespace

std::vector<WindowWater> TraceWorldWater(const PartWindows& parts,
                                         const std::vector<std::vector<uint16_t>>& values,
                                         const WaterLevels& levels, const RankLinks& links) {
    const std::vector<PartWindow>& windows = parts.Windows();
    std::vector<std::vector<int32_t>> ground(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        ground[i].reserve(values[i].size());
        for (const uint16_t value : values[i]) ground[i].push_back(levels(value));
    }
    const std::vector<std::vector<int32_t>> filled =
        FillWindows(parts, ground, levels.SeaTop(), links);
    const float seaLevel = SeaLevelAbove(levels.SeaTop());
    std::vector<LandSurface> surfaces;
    std::vector<ReceiverTree> trees;
    std::vector<WindowWater> water(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        LandSurface& surface = surfaces.emplace_back(windows[i].size);
        water[i].lakes = ZeroedVector<uint8_t>(filled[i].size());
        for (std::size_t cell = 0; cell < filled[i].size(); ++cell) {
            surface.heights[cell] = static_cast<float>(filled[i][cell]);
            water[i].lakes[cell] = filled[i][cell] > ground[i][cell] ? 1 : 0;
        }
        // The window is the world around its part: its edges are the world's
        // only where the world ends.
        trees.emplace_back(windows[i].size, Wrap::kNone).RouteSteepest(surface, seaLevel, 1);
    }
    std::vector<ZeroedVector<float>> area = AccumulateWindows(parts, trees, links);
    std::vector<ZeroedVector<float>> flow(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const PartWindow& window = windows[i];
        flow[i] = ZeroedVector<float>(area[i].size());
        for (int32_t x = window.left; x < window.left + window.region.size.Width(); ++x) {
            for (int32_t y = window.above; y < window.above + window.region.size.Height(); ++y) {
                const auto cell = static_cast<int32_t>(window.Index(x, y));
                flow[i][cell] = FlowThrough(trees[i], surfaces[i], seaLevel, area[i], cell);
                water[i].mostFlow = std::max(water[i].mostFlow, flow[i][cell]);
            }
        }
    }
    parts.Exchange(flow, links);
    for (std::size_t i = 0; i < windows.size(); ++i) water[i].flow = std::move(flow[i]);
    return water;
}

}  // namespace morvik
