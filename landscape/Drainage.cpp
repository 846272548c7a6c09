#include "landscape/Drainage.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "landscape/Neighbours.h"
#include "terrain/ERangeError.h"
#include "terrain/ParallelFor.h"

namespace morvik {

namespace {

constexpr int32_t kLevels = kDrainableTop + MapSize::kLargestSide / 2 + 1;
// Marks a cell the flood has reached, in its own height, which stays below
// it: one array to look at where there would be two.
constexpr int32_t kReached = 1 << 30;
// The way out of a cell of the sea or the edge: none.
constexpr uint8_t kSeed = 8;

// A priority flood from the sea and the edge inward (Barnes et al. 2014):
// the lowest waiting cell reaches its neighbours first, so that the cell a
// neighbour is reached from lies on its lowest way out, and a neighbour as
// low as that cell or lower, in a hollow, is lifted to one above it. The
// cells waiting are kept by height, each height's in the order they came;
// whatever the flood adds lies higher still, so each height's list is whole
// by the time the flood comes to it. For breaching, the flood keeps what it
// lifted.
class Flood {
  public:
    Flood(CellGrid& heights, MapSize size, int32_t seaTop, Wrap wrap, bool breaching,
          int32_t threads)
        : threads_(threads),
          heights_(heights),
          rows_(size.Height()),
          width_(size.Width()),
          seaTop_(seaTop),
          neighbours_(size, wrap),
          waiting_(kLevels),
          breaching_(breaching),
          packed_(heights.Rows() == size.Height() ? heights.Column(0) : nullptr) {}

    void Run() {
        ForEachBand(width_, threads_, [&](int32_t, int32_t first, int32_t end) {
            for (int32_t x = first; x < end; ++x) {
                for (int32_t y = 0; y < rows_; ++y) {
                    int32_t& height = heights_.At(x, y);
                    if (height <= seaTop_ || neighbours_.OnEdge(x, y)) height |= kReached;
                }
            }
        });
        // Only the seeds beside a cell still to reach wait: the open sea
        // has nothing to reach. Found band by band, they wait in the order
        // of the cells, for any number of threads.
        std::vector<std::vector<int32_t>> seeds(BandsOf(width_));
        ForEachBand(width_, threads_, [&](int32_t band, int32_t first, int32_t end) {
            for (int32_t cell = first * rows_; cell < end * rows_; ++cell) {
                if ((Height(cell) & kReached) == 0) continue;
                bool beside = false;
                ForEachNeighbour(cell, [&](int32_t neighbour, uint8_t) {
                    beside |= (Height(neighbour) & kReached) == 0;
                });
                if (beside) seeds[band].push_back(cell);
            }
        });
        for (const std::vector<int32_t>& band : seeds) {
            for (const int32_t cell : band) waiting_[Height(cell) & ~kReached].push_back(cell);
        }
        for (int32_t level = 0; level < kLevels; ++level) {
            for (const int32_t cell : waiting_[level]) ReachFrom(cell, level);
            std::vector<int32_t>().swap(waiting_[level]);
        }
        ForEachBand(width_, threads_, [&](int32_t, int32_t first, int32_t end) {
            for (int32_t x = first; x < end; ++x) {
                int32_t* column = heights_.Column(x);
                for (int32_t y = 0; y < rows_; ++y) column[y] &= ~kReached;
            }
        });
    }

    // Breaching: the lifted cells back where they were, and from each hollow
    // that leaves its way out cut down, each cell one below the cell before,
    // until the way is lower already. The way out of a cell is toward its
    // lowest neighbour as the flood filled them (the first of those, in a
    // fixed order of the eight), and every hollow's cut is measured on the
    // ground as it was, the deepest cut taken where two meet: so the cuts
    // depend on nothing but the ground, not on the order anything is done
    // in. A way that would take land down to the sea is not cut: its hollow
    // is filled again, and so is every lifted cell around it that then has no
    // way down.
    void Breach() {
        FindWays();
        const auto lifted = static_cast<int32_t>(lifted_.size());
        const int32_t parts = (lifted + kPart - 1) / kPart;
        const auto eachPart = [&](const auto& body) {
            ParallelFor(parts, threads_, [&](int32_t part) {
                body(part, part * kPart, std::min(lifted, (part + 1) * kPart));
            });
        };
        eachPart([&](int32_t, int32_t first, int32_t end) {
            for (int32_t at = first; at < end; ++at) Height(lifted_[at].cell) = lifted_[at].before;
        });
        // Which ways can be cut is measured before any is; then each cut
        // goes as far as the ground stands higher, which a deeper cut made
        // already stops where it would have gone no deeper.
        std::vector<std::vector<int32_t>> cut(parts);
        std::vector<std::vector<int32_t>> failed(parts);
        eachPart([&](int32_t part, int32_t first, int32_t end) {
            for (int32_t at = first; at < end; ++at) {
                const int32_t cell = lifted_[at].cell;
                if (HasLowerNeighbour(cell)) continue;
                (CanCutWayOut(cell) ? cut : failed)[part].push_back(cell);
            }
        });
        for (const std::vector<int32_t>& part : cut) {
            for (const int32_t hollow : part) CutWayOut(hollow);
        }
        std::vector<int32_t> refill;
        for (const std::vector<int32_t>& part : failed) {
            refill.insert(refill.end(), part.begin(), part.end());
        }
        if (!refill.empty()) {
            std::sort(lifted_.begin(), lifted_.end(),
                      [](const Lifted& a, const Lifted& b) { return a.cell < b.cell; });
        }
        while (!refill.empty()) {
            const int32_t cell = refill.back();
            refill.pop_back();
            if (Height(cell) >= Filled(cell) || HasLowerNeighbour(cell)) continue;
            Height(cell) = Filled(cell);
            ForEachNeighbour(cell, [&](int32_t neighbour, uint8_t) {
                if (Height(neighbour) < Filled(neighbour) && !HasLowerNeighbour(neighbour)) {
                    refill.push_back(neighbour);
                }
            });
        }
    }

  private:
    // A grid as tall as the map holds the cells in the map's own order.
    int32_t& Height(int32_t cell) {
        return packed_ != nullptr ? packed_[cell] : heights_.Column(cell / rows_)[cell % rows_];
    }

    // Away from the edges a neighbour is a step along the column and across;
    // at them, the neighbours' rule.
    template <typename Visit>
    void ForEachNeighbour(int32_t cell, Visit visit) const {
        const int32_t x = cell / rows_;
        const int32_t y = cell % rows_;
        const bool inside = x > 0 && x + 1 < width_ && y > 0 && y + 1 < rows_;
        for (uint8_t step = 0; step < 8; ++step) {
            const auto [dx, dy] = kSteps[step];
            const int32_t neighbour =
                inside ? cell + dx * rows_ + dy : neighbours_.At(x, y, dx, dy);
            if (neighbour >= 0) visit(neighbour, step);
        }
    }

    // Each filled cell's way out: toward its lowest neighbour, the first
    // such of the eight; none from the sea or the edge.
    void FindWays() {
        ways_.resize(static_cast<std::size_t>(width_) * rows_);
        ForEachBand(width_, threads_, [&](int32_t, int32_t first, int32_t end) {
            for (int32_t cell = first * rows_; cell < end * rows_; ++cell) {
                if (Height(cell) <= seaTop_ || neighbours_.OnEdge(cell / rows_, cell % rows_)) {
                    ways_[cell] = kSeed;
                    continue;
                }
                int32_t lowest = INT32_MAX;
                ForEachNeighbour(cell, [&](int32_t neighbour, uint8_t step) {
                    if (Height(neighbour) < lowest) {
                        lowest = Height(neighbour);
                        ways_[cell] = step;
                    }
                });
            }
        });
    }

    // The cell a filled cell's water leaves by; -1 from the sea or the edge.
    int32_t Toward(int32_t cell) const {
        if (ways_[cell] == kSeed) return -1;
        const auto [dx, dy] = kSteps[ways_[cell]];
        return neighbours_.At(cell / rows_, cell % rows_, dx, dy);
    }

    // A cell's height as the flood lifted it, or 0 if it did not (the lifted
    // cells in order of place).
    int32_t Filled(int32_t cell) const {
        const auto found =
            std::lower_bound(lifted_.begin(), lifted_.end(), cell,
                             [](const Lifted& lifted, int32_t at) { return lifted.cell < at; });
        return found != lifted_.end() && found->cell == cell ? found->filled : 0;
    }

    bool HasLowerNeighbour(int32_t cell) {
        const int32_t height = Height(cell);
        bool lower = false;
        ForEachNeighbour(cell,
                         [&](int32_t neighbour, uint8_t) { lower |= Height(neighbour) < height; });
        return lower;
    }

    // Whether a hollow's way out can be cut without taking land down to the
    // sea.
    bool CanCutWayOut(int32_t hollow) {
        int32_t below = Height(hollow);
        for (int32_t at = Toward(hollow); at >= 0 && Height(at) >= below; at = Toward(at)) {
            if (below - 1 <= seaTop_) return false;
            below -= 1;
        }
        return true;
    }

    void CutWayOut(int32_t hollow) {
        int32_t below = Height(hollow);
        for (int32_t at = Toward(hollow); at >= 0 && Height(at) >= below; at = Toward(at)) {
            below -= 1;
            Height(at) = below;
        }
    }

    void ReachFrom(int32_t cell, int32_t level) {
        ForEachNeighbour(cell, [&](int32_t neighbour, uint8_t) {
            int32_t& height = Height(neighbour);
            if ((height & kReached) != 0) return;
            const int32_t before = height;
            height = std::max(height, level + 1);
            if (breaching_ && before < height) lifted_.push_back({neighbour, before, height});
            waiting_[height].push_back(neighbour);
            height |= kReached;
        });
    }

    static constexpr std::array<std::array<int32_t, 2>, 8> kSteps{
        {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}}};

    // The lifted cells a thread puts back and looks at at a time.
    static constexpr int32_t kPart = 1 << 16;

    int32_t threads_;
    CellGrid& heights_;
    int32_t rows_;
    int32_t width_;
    int32_t seaTop_;
    Neighbours neighbours_;
    std::vector<std::vector<int32_t>> waiting_;
    bool breaching_;
    std::vector<uint8_t> ways_;  // each filled cell's step out, once found
    // The cells the flood lifted, in the order it reached them.
    struct Lifted {
        int32_t cell;
        int32_t before;
        int32_t filled;
    };
    std::vector<Lifted> lifted_;
    int32_t* packed_;
};

}  // namespace

void DrainToSea(CellGrid& heights, MapSize size, int32_t seaTop, Wrap wrap, Hollows hollows,
                int32_t threads) {
    for (int32_t x = 0; x < size.Width(); ++x) {
        const int32_t* column = heights.Column(x);
        if (std::any_of(column, column + size.Height(),
                        [](int32_t height) { return height < 0 || height > kDrainableTop; })) {
            throw ERangeError("a height to drain is beyond 0.." + std::to_string(kDrainableTop));
        }
    }
    Flood flood(heights, size, seaTop, wrap, hollows == Hollows::kBreach, threads);
    flood.Run();
    if (hollows == Hollows::kBreach) flood.Breach();
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
