#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

#include "landscape/LandSurface.h"
#include "landscape/Neighbours.h"
#include "terrain/MapSize.h"
#include "terrain/ParallelFor.h"
#include "terrain/Wrap.h"
#include "terrain/ZeroedVector.h"

namespace morvik {

// Where a map's cells lie in the world it is part of: its first column and
// row there (counted on past the world's ends where they wrap), and the
// world's size; none for a map that is its own world.
struct CellPlaces {
    int64_t left = 0;
    int64_t top = 0;
    int32_t worldWidth = 0;
    int32_t worldHeight = 0;
};

// Where each cell's water goes: to its receiver, the neighbour of its eight
// down the steepest drop, off the map across an edge that does not wrap, or
// nowhere (a root). The receivers form a forest whose roots are where water
// leaves the land; the passes below visit its cells in the two orders the
// stream-power papers solve in (Braun & Willett 2013): every cell after all
// its donors (the cells whose receiver it is), and every cell after its
// receiver. Both spread over threads, and every cell's result depends only
// on the cells it waits for, so it is the same for any number of threads.
class ReceiverTree {
  public:
    ReceiverTree(MapSize size, Wrap wrap);

    // Land is every cell above seaLevel. A land cell's receiver is its
    // steepest way down, the sea and the ground beyond an edge that does not
    // wrap counting as seaLevel; a land cell without one is a root. A sea
    // cell's receiver is its steepest way down the sea floor, and a sea cell
    // on such an edge leaves the map. A diagonal drop counts as if from 1 to
    // 2 cells away, by a hash of the cell and `turn` (Fairfield & Leymarie's
    // rho8): the steepest of eight fixed ways would send water down a smooth
    // slope in parallel straight lines, where this keeps to the slope's own
    // direction on average.
    // A map that is part of a world hashes its cells by their places there
    // (`places`).
    void Route(const LandSurface& land, float seaLevel, uint32_t turn, int32_t threads,
               const CellPlaces& places = {});

    // The same with every diagonal drop at its true distance, sqrt 2 (D8):
    // the steepest way down as anyone measuring the land finds it.
    void RouteSteepest(const LandSurface& land, float seaLevel, int32_t threads);

    bool IsRoot(int32_t cell) const { return Way(cell) == kRoot || Way(cell) == kOffMap; }
    bool LeavesMap(int32_t cell) const { return Way(cell) == kOffMap; }
    // For a cell that is no root.
    int32_t Receiver(int32_t cell) const { return Step(cell, Way(cell)); }
    // How far the water runs to the receiver, or off the map: 1 or sqrt 2.
    float Distance(int32_t cell) const { return kDistances[Way(cell)]; }
    int32_t Donors(int32_t cell) const { return kDonorCounts[donors_[cell]]; }

    // Calls visit(donor) for each donor of a cell, in a fixed order.
    template <typename Visit>
    void ForEachDonor(int32_t cell, Visit visit) const {
        for (uint32_t donors = donors_[cell]; donors != 0; donors &= donors - 1) {
            visit(Step(cell, static_cast<uint8_t>(std::countr_zero(donors) + 1)));
        }
    }

    // Calls visit(cell) for every cell, each after all its donors: a flow
    // accumulation. A cell's visit may read what its donors' visits wrote.
    template <typename Visit>
    void Downstream(int32_t threads, Visit visit);

    // Calls visit(cell) for every cell, each after its receiver: a pass in
    // stack order, from the roots upward. A cell's visit may read what its
    // receiver's visit wrote.
    template <typename Visit>
    void Upstream(int32_t threads, Visit visit);

  private:
    static constexpr uint8_t kRoot = 0;
    static constexpr uint8_t kOffMap = 9;
    // Ways 1..8 to the neighbours, across and down; way w's opposite is
    // 9 - w.
    static constexpr std::array<std::array<int32_t, 2>, 9> kSteps{
        {{0, 0}, {-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}}};
    static constexpr float kDiagonal = 1.41421356F;
    static constexpr std::array<float, 10> kDistances{1, kDiagonal, 1, kDiagonal, 1,
                                                      1, kDiagonal, 1, kDiagonal, 1};

    // The bits set in each byte (std::popcount is a call without POPCNT).
    static constexpr std::array<uint8_t, 256> kDonorCounts = [] {
        std::array<uint8_t, 256> counts{};
        for (int32_t mask = 1; mask < 256; ++mask) {
            counts[mask] = static_cast<uint8_t>(counts[mask >> 1] + (mask & 1));
        }
        return counts;
    }();

    // A cell's progress through a pass.
    static constexpr uint8_t kWaiting = 0;
    static constexpr uint8_t kClaimed = 1;
    static constexpr uint8_t kDone = 2;

    uint8_t Way(int32_t cell) const { return ways_[cell]; }
    int32_t Step(int32_t cell, uint8_t way) const {
        return neighbours_.Of(cell, kSteps[way][0], kSteps[way][1]);
    }
    // The neighbour a way leads to from (x, y), or -1 beyond an edge that
    // does not wrap; away from the edges, the cell plus offsets_[way].
    int32_t Neighbour(int32_t x, int32_t y, uint8_t way) const {
        return neighbours_.At(x, y, kSteps[way][0], kSteps[way][1]);
    }
    uint8_t SteepestWay(const LandSurface& land, float seaLevel, float diagonal, int32_t x,
                        int32_t y) const;
    void FindDonors(int32_t threads);
    // Each cell's way with the diagonal distance diagonalOf(cell) gives.
    template <typename Diagonal>
    void RouteWith(const LandSurface& land, float seaLevel, int32_t threads, Diagonal diagonalOf);

    // body(first, end) for the cells of a few wide parts of whole columns,
    // the parts spread over the threads: water crosses from one thread's
    // cells into another's only at a few seams.
    template <typename Body>
    void ForEachPart(int32_t threads, Body body) {
        const int32_t parts = std::min(width_, 4 * threads);
        ParallelFor(parts, threads, [&](int32_t part) {
            body(width_ * part / parts * rows_, width_ * (part + 1) / parts * rows_);
        });
    }

    int32_t width_;
    int32_t rows_;
    Neighbours neighbours_;
    std::array<int32_t, 9> offsets_{};
    ZeroedVector<uint8_t> ways_;
    // Bit w - 1 for a donor the way w.
    ZeroedVector<uint8_t> donors_;
    std::vector<std::atomic<uint8_t>> progress_;
};

// Each thread starts from the cells of its parts that have no donors and
// follows their water down; the last donor to finish with a cell goes on
// with it (Barnes 2017's dependency counting).
template <typename Visit>
void ReceiverTree::Downstream(int32_t threads, Visit visit) {
    ForEachCell(width_, rows_, threads, [&](int32_t cell) {
        progress_[cell].store(static_cast<uint8_t>(Donors(cell)), std::memory_order_relaxed);
    });
    ForEachPart(threads, [&](int32_t first, int32_t end) {
        for (int32_t start = first; start < end; ++start) {
            if (Donors(start) != 0) continue;
            for (int32_t cell = start;;) {
                visit(cell);
                if (IsRoot(cell)) break;
                cell = Receiver(cell);
                if (progress_[cell].fetch_sub(1, std::memory_order_acq_rel) != 1) break;
            }
        }
    });
}

// Each thread claims the cells from one of its parts down to a cell whose
// height is known (or a root), then visits them back up. A cell that another
// thread has claimed is that thread's to finish: its claims lie downstream of
// all this thread's, so neither ever waits for the other. A thread that
// fails (out of memory) lets its claims go, so that none waits for ever.
template <typename Visit>
void ReceiverTree::Upstream(int32_t threads, Visit visit) {
    ForEachCell(width_, rows_, threads,
                [&](int32_t cell) { progress_[cell].store(kWaiting, std::memory_order_relaxed); });
    ForEachPart(threads, [&](int32_t first, int32_t end) {
        std::vector<int32_t> claimed;
        int32_t claiming = -1;  // claimed, and not yet in `claimed`
        try {
            for (int32_t start = first; start < end; ++start) {
                for (int32_t cell = start;;) {
                    uint8_t waiting = kWaiting;
                    if (progress_[cell].load(std::memory_order_acquire) == kWaiting &&
                        progress_[cell].compare_exchange_strong(waiting, kClaimed,
                                                                std::memory_order_acquire)) {
                        claiming = cell;
                        claimed.push_back(cell);
                        claiming = -1;
                        if (IsRoot(cell)) break;
                        cell = Receiver(cell);
                        continue;
                    }
                    while (progress_[cell].load(std::memory_order_acquire) != kDone) {
                        std::this_thread::yield();
                    }
                    break;
                }
                while (!claimed.empty()) {
                    const int32_t cell = claimed.back();
                    visit(cell);
                    claimed.pop_back();
                    progress_[cell].store(kDone, std::memory_order_release);
                }
            }
        } catch (...) {
            if (claiming >= 0) progress_[claiming].store(kDone);
            for (const int32_t cell : claimed) progress_[cell].store(kDone);
            throw;
        }
    });
}

}  // namespace morvik
