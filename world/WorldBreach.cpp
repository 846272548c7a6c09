#include "world/WorldBreach.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <span>
#include <stdexcept>
#include <tuple>

#include "world/WindowFill.h"

namespace morvik {

namespace {

// A hollow's way out being walked: the hollow, by its index in the world,
// the cell the walk has come to, and the height the next cut would leave
// it one below.
struct Walk {
    int64_t hollow;
    int64_t x;
    int64_t y;
    int32_t below;
};

class Breach {
  public:
    Breach(const PartWindows& parts, std::vector<CellGrid>& levels, int32_t seaTop,
           const RankLinks& links)
        : parts_(parts),
          windows_(parts.Windows()),
          levels_(levels),
          seaTop_(seaTop),
          links_(links),
          filled_(FillWindows(parts, levels, seaTop, links)),
          lifted_(windows_.size()) {
        for (std::size_t i = 0; i < windows_.size(); ++i) {
            lifted_[i].resize(static_cast<std::size_t>(windows_[i].size.Cells()));
            for (int32_t cell = 0; cell < windows_[i].size.Cells(); ++cell) {
                lifted_[i][cell] = filled_[i][cell] > levels_[i][cell] ? 1 : 0;
            }
        }
    }

    void Run() {
        std::vector<Walk> hollows;
        for (std::size_t i = 0; i < windows_.size(); ++i) {
            windows_[i].ForEachOwned([&](int32_t cell) {
                if (lifted_[i][cell] != 0 && !HasLowerNeighbour(i, cell)) {
                    const auto [x, y] = WorldPlace(i, cell);
                    hollows.push_back({WorldIndex(x, y), x, y, levels_[i][cell]});
                }
            });
        }
        // Which ways can be cut is measured before any is; then each cut goes
        // as far as the ground stands higher, which a deeper cut made already
        // stops where it would have gone no deeper. Every rank learns which
        // hollows cannot be breached.
        std::vector<int64_t> failed = GatherAll(links_, Walks(hollows, false));
        std::sort(failed.begin(), failed.end());
        std::erase_if(hollows, [&](const Walk& hollow) {
            return std::binary_search(failed.begin(), failed.end(), hollow.hollow);
        });
        Walks(hollows, true);
        parts_.Exchange(levels_, links_);
        Refill(failed);
    }

  private:
    std::pair<int64_t, int64_t> WorldPlace(std::size_t i, int32_t cell) const {
        const PartWindow& window = windows_[i];
        const int32_t rows = window.size.Height();
        const WorldSize world = parts_.World();
        const int64_t x = window.region.left + cell / rows - window.left;
        const int64_t y = window.region.top + cell % rows - window.above;
        return {(x % world.Width() + world.Width()) % world.Width(),
                (y % world.Height() + world.Height()) % world.Height()};
    }
    int64_t WorldIndex(int64_t x, int64_t y) const { return x * parts_.World().Height() + y; }

    bool HasLowerNeighbour(std::size_t i, int32_t cell) const {
        const int32_t height = levels_[i][cell];
        bool lower = false;
        windows_[i].ForEachNeighbour(
            cell, [&](int32_t neighbour) { lower |= levels_[i][neighbour] < height; });
        return lower;
    }

    // Toward the lowest filled neighbour, the first such; -1 from the sea or
    // the world's edge.
    int32_t Toward(std::size_t i, int32_t cell) const {
        const PartWindow& window = windows_[i];
        const int32_t rows = window.size.Height();
        if (levels_[i][cell] <= seaTop_ || parts_.OnWorldEdge(window, cell / rows, cell % rows)) {
            return -1;
        }
        int32_t lowest = INT32_MAX;
        int32_t toward = -1;
        window.ForEachNeighbour(cell, [&](int32_t neighbour) {
            if (filled_[i][neighbour] < lowest) {
                lowest = filled_[i][neighbour];
                toward = neighbour;
            }
        });
        return toward;
    }

    // The window of this rank's that owns a world cell, and the cell there.
    std::pair<std::size_t, int32_t> Owner(int64_t x, int64_t y) const {
        for (std::size_t i = 0; i < windows_.size(); ++i) {
            const WorldRegion& region = windows_[i].region;
            if (x >= region.left && x < region.left + region.size.Width() && y >= region.top &&
                y < region.top + region.size.Height()) {
                return {i, static_cast<int32_t>(windows_[i].Index(
                               windows_[i].left + static_cast<int32_t>(x - region.left),
                               windows_[i].above + static_cast<int32_t>(y - region.top)))};
            }
        }
        throw std::logic_error("a walk came to a rank that does not hold its cell");
    }

    // Sends a walk from its hollow to the cell the way out leads to, to the
    // rank that owns it.
    void StepOut(const Walk& from, std::vector<std::vector<Walk>>& out) const {
        const auto [i, cell] = Owner(from.x, from.y);
        const int32_t next = Toward(i, cell);
        if (next >= 0) SendOn({from.hollow, 0, 0, from.below}, i, next, out);
    }

    void SendOn(Walk walk, std::size_t i, int32_t cell, std::vector<std::vector<Walk>>& out) const {
        std::tie(walk.x, walk.y) = WorldPlace(i, cell);
        out[static_cast<std::size_t>(parts_.OwnerRank(walk.x, walk.y))].push_back(walk);
    }

    // Walks every hollow's way out, each walk on at the rank that holds its
    // next cell, until every walk on every rank has ended: cutting it, or
    // only finding the hollows whose way would take land down to the sea,
    // which it returns.
    std::vector<int64_t> Walks(const std::vector<Walk>& hollows, bool cut) {
        std::vector<std::vector<Walk>> out(static_cast<std::size_t>(links_.Ranks()));
        for (const Walk& hollow : hollows) StepOut(hollow, out);
        std::vector<int64_t> failed;
        for (;;) {
            bool sent = false;
            std::vector<std::vector<std::byte>> bytes;
            for (std::vector<Walk>& to : out) {
                sent |= !to.empty();
                bytes.push_back(AsBytes(to));
                to.clear();
            }
            if (!links_.Any(sent)) return failed;
            std::vector<Walk> walks;
            for (const std::vector<std::byte>& from : links_.Swap(std::move(bytes))) {
                AppendFrom(std::span<const std::byte>(from), walks);
            }
            for (const Walk& walk : walks) GoOn(walk, cut, failed, out);
        }
    }

    // A walk at one of this rank's cells, on until it stops or leaves.
    void GoOn(Walk walk, bool cut, std::vector<int64_t>& failed,
              std::vector<std::vector<Walk>>& out) {
        const auto [i, found] = Owner(walk.x, walk.y);
        int32_t cell = found;
        for (;;) {
            if (levels_[i][cell] < walk.below) return;  // lower already
            if (!cut && walk.below - 1 <= seaTop_) {
                failed.push_back(walk.hollow);
                return;
            }
            walk.below -= 1;
            if (cut) levels_[i][cell] = walk.below;
            const int32_t next = Toward(i, cell);
            if (next < 0) return;  // the sea or the edge: breached
            if (!windows_[i].Owns(next)) {
                SendOn(walk, i, next, out);
                return;
            }
            cell = next;
        }
    }

    // The hollows that could not be breached filled again, and every lifted
    // cell around them that then has no way down, as far as that goes.
    void Refill(const std::vector<int64_t>& failed) {
        std::vector<std::vector<int32_t>> waiting(windows_.size());
        for (std::size_t i = 0; i < windows_.size(); ++i) {
            windows_[i].ForEachOwned([&](int32_t cell) {
                const auto [x, y] = WorldPlace(i, cell);
                if (std::binary_search(failed.begin(), failed.end(), WorldIndex(x, y))) {
                    waiting[i].push_back(cell);
                }
            });
        }
        std::vector<std::vector<int32_t>> rings(windows_.size());
        for (std::size_t i = 0; i < windows_.size(); ++i) rings[i] = windows_[i].Ring();
        const auto wants = [&](std::size_t i, int32_t cell) {
            return levels_[i][cell] < Filled(i, cell) && !HasLowerNeighbour(i, cell);
        };
        for (;;) {
            for (std::size_t i = 0; i < windows_.size(); ++i) {
                while (!waiting[i].empty()) {
                    const int32_t cell = waiting[i].back();
                    waiting[i].pop_back();
                    if (!wants(i, cell)) continue;
                    levels_[i][cell] = Filled(i, cell);
                    windows_[i].ForEachNeighbour(cell, [&](int32_t neighbour) {
                        if (windows_[i].Owns(neighbour) && wants(i, neighbour)) {
                            waiting[i].push_back(neighbour);
                        }
                    });
                }
            }
            std::vector<std::vector<int32_t>> before(windows_.size());
            for (std::size_t i = 0; i < windows_.size(); ++i) {
                for (const int32_t cell : rings[i]) before[i].push_back(levels_[i][cell]);
            }
            parts_.Exchange(levels_, links_);
            bool raised = false;
            for (std::size_t i = 0; i < windows_.size(); ++i) {
                for (std::size_t at = 0; at < rings[i].size(); ++at) {
                    const int32_t cell = rings[i][at];
                    if (levels_[i][cell] == before[i][at]) continue;
                    windows_[i].ForEachNeighbour(cell, [&](int32_t neighbour) {
                        if (windows_[i].Owns(neighbour) && wants(i, neighbour)) {
                            waiting[i].push_back(neighbour);
                            raised = true;
                        }
                    });
                }
            }
            if (!links_.Any(raised)) return;
        }
    }

    int32_t Filled(std::size_t i, int32_t cell) const {
        return lifted_[i][cell] ? filled_[i][cell] : 0;
    }

    const PartWindows& parts_;
    const std::vector<PartWindow>& windows_;
    std::vector<CellGrid>& levels_;
    int32_t seaTop_;
    const RankLinks& links_;
    std::vector<CellGrid> filled_;
    std::vector<std::vector<uint8_t>> lifted_;
};

}  // namespace

void BreachWindows(const PartWindows& parts, std::vector<CellGrid>& levels, int32_t seaTop,
                   const RankLinks& links) {
    Breach(parts, levels, seaTop, links).Run();
}

}  // namespace morvik
