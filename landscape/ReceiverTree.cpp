#include "landscape/ReceiverTree.h"

namespace morvik {

ReceiverTree::ReceiverTree(MapSize size, Wrap wrap)
    : width_(size.Width()),
      rows_(size.Height()),
      neighbours_(size, wrap),
      ways_(static_cast<std::size_t>(size.Cells())),
      donors_(static_cast<std::size_t>(size.Cells())),
      progress_(static_cast<std::size_t>(size.Cells())) {
    for (uint8_t way = 1; way <= 8; ++way) offsets_[way] = kSteps[way][0] * rows_ + kSteps[way][1];
}

namespace {

// A number in [0, 1) for each key, the same on every run (splitmix64).
float Hashed(uint64_t key) {
    uint64_t z = (key + 1) * 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return static_cast<float>((z ^ (z >> 31)) >> 40) * 0x1.0p-24F;
}

}  // namespace

uint8_t ReceiverTree::SteepestWay(const LandSurface& land, float seaLevel, float diagonal,
                                  int32_t x, int32_t y) const {
    const float* heights = land.heights.data();
    const int32_t cell = x * rows_ + y;
    const float here = heights[cell];
    const bool sea = here < seaLevel;
    const bool inside = x > 0 && x + 1 < width_ && y > 0 && y + 1 < rows_;
    const bool onEdge = !inside && neighbours_.OnEdge(x, y);
    if (sea && onEdge) return kOffMap;
    uint8_t way = onEdge ? kOffMap : kRoot;
    float steepest = onEdge ? here - seaLevel : 0;
    const float perDiagonal = 1 / diagonal;
    for (uint8_t candidate = 1; candidate <= 8; ++candidate) {
        const int32_t neighbour = inside ? cell + offsets_[candidate] : Neighbour(x, y, candidate);
        if (neighbour < 0) continue;
        // Water on land runs into the sea at its surface; water in the sea
        // stays in it.
        const float there = heights[neighbour];
        const float surface = sea ? (there < seaLevel ? there : here) : std::max(there, seaLevel);
        const float drop = (here - surface) * (kDistances[candidate] == 1 ? 1 : perDiagonal);
        way = drop > steepest ? candidate : way;
        steepest = std::max(drop, steepest);
    }
    return way;
}

template <typename Diagonal>
void ReceiverTree::RouteWith(const LandSurface& land, float seaLevel, int32_t threads,
                             Diagonal diagonalOf) {
    ForEachBand(width_, threads, [&](int32_t, int32_t first, int32_t end) {
        for (int32_t x = first; x < end; ++x) {
            for (int32_t y = 0; y < rows_; ++y) {
                const int32_t cell = x * rows_ + y;
                ways_[cell] = SteepestWay(land, seaLevel, diagonalOf(cell), x, y);
            }
        }
    });
    FindDonors(threads);
}

void ReceiverTree::Route(const LandSurface& land, float seaLevel, uint32_t turn, int32_t threads,
                         const CellPlaces& places) {
    const auto hashed = [turn](uint32_t key) { return 2 - Hashed(uint64_t{turn} << 32 | key); };
    if (places.worldHeight == 0) {
        RouteWith(land, seaLevel, threads,
                  [&](int32_t cell) { return hashed(static_cast<uint32_t>(cell)); });
        return;
    }
    // The world's cell index, column by column, cut to 32 bits as a map's.
    const auto wrapped = [](int64_t place, int32_t side) { return ((place % side) + side) % side; };
    RouteWith(land, seaLevel, threads, [&](int32_t cell) {
        const int64_t x = wrapped(places.left + cell / rows_, places.worldWidth);
        const int64_t y = wrapped(places.top + cell % rows_, places.worldHeight);
        return hashed(static_cast<uint32_t>(x * places.worldHeight + y));
    });
}

void ReceiverTree::RouteSteepest(const LandSurface& land, float seaLevel, int32_t threads) {
    RouteWith(land, seaLevel, threads, [](int32_t) { return kDiagonal; });
}

void ReceiverTree::FindDonors(int32_t threads) {
    ForEachBand(width_, threads, [&](int32_t, int32_t first, int32_t end) {
        for (int32_t x = first; x < end; ++x) {
            for (int32_t y = 0; y < rows_; ++y) {
                const int32_t cell = x * rows_ + y;
                const bool inside = x > 0 && x + 1 < width_ && y > 0 && y + 1 < rows_;
                uint8_t donors = 0;
                for (uint8_t way = 1; way <= 8; ++way) {
                    const int32_t neighbour = inside ? cell + offsets_[way] : Neighbour(x, y, way);
                    if (neighbour >= 0 && ways_[neighbour] == 9 - way) donors |= 1 << (way - 1);
                }
                donors_[cell] = donors;
            }
        }
    });
}

}  // namespace morvik
