#include "landscape/ReceiverTree.h"

namespace morvik {

ReceiverTree::ReceiverTree(MapSize size, Wrap wrap)
    : width_(size.Width()),
      rows_(size.Height()),
      neighbours_(size, wrap),
      ways_(static_cast<std::size_t>(size.Cells())),
      donors_(static_cast<std::size_t>(size.Cells())),
      progress_(static_cast<std::size_t>(size.Cells())) {}

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
    const float here = land.At(x, y);
    const bool sea = here < seaLevel;
    const bool onEdge = neighbours_.OnEdge(x, y);
    if (sea && onEdge) return kOffMap;
    uint8_t way = kRoot;
    float steepest = 0;
    if (onEdge) {
        way = kOffMap;
        steepest = here - seaLevel;
    }
    for (uint8_t candidate = 1; candidate <= 8; ++candidate) {
        const int32_t neighbour = Neighbour(x, y, candidate);
        if (neighbour < 0) continue;
        float there = land.heights[neighbour];
        // Water on land runs into the sea at its surface; water in the sea
        // stays in it.
        if (there < seaLevel) {
            if (!sea) there = seaLevel;
        } else if (sea) {
            continue;
        }
        const float drop = (here - there) / (kDistances[candidate] == 1 ? 1 : diagonal);
        if (drop > steepest) {
            steepest = drop;
            way = candidate;
        }
    }
    return way;
}

void ReceiverTree::Route(const LandSurface& land, float seaLevel, uint32_t turn, int32_t threads) {
    ForEachBand(width_, threads, [&](int32_t, int32_t first, int32_t end) {
        for (int32_t x = first; x < end; ++x) {
            for (int32_t y = 0; y < rows_; ++y) {
                const int32_t cell = x * rows_ + y;
                const float diagonal =
                    2 - Hashed(uint64_t{turn} << 32 | static_cast<uint32_t>(cell));
                ways_[cell] = SteepestWay(land, seaLevel, diagonal, x, y);
            }
        }
    });
    FindDonors(threads);
}

void ReceiverTree::FindDonors(int32_t threads) {
    ForEachBand(width_, threads, [&](int32_t, int32_t first, int32_t end) {
        for (int32_t x = first; x < end; ++x) {
            for (int32_t y = 0; y < rows_; ++y) {
                uint8_t donors = 0;
                for (uint8_t way = 1; way <= 8; ++way) {
                    const int32_t neighbour = Neighbour(x, y, way);
                    if (neighbour >= 0 && ways_[neighbour] == 9 - way) donors |= 1 << (way - 1);
                }
                donors_[static_cast<std::size_t>(x) * rows_ + y] = donors;
            }
        }
    });
}

}  // namespace morvik
