#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace morvik {

// A colour reduction's pass over a picture held in parts: how many lattice
// cells it counts, and each cell's index. `first` holds, for every cell,
// the first position at which it occurs in the whole picture's scan
// (stored rows of `width` pixels, each from the left), gathered from every
// part, or INT64_MAX for none. The cells are numbered in the order the scan
// meets them, and counting stops after the first row that takes the count
// past kMostCounted, as a pass over the whole picture does.
struct PassOrder {
    int32_t count;
    std::vector<int32_t> indexOf;
};
PassOrder OrderOfFirstPositions(std::span<const int64_t> first, int64_t width);

}  // namespace morvik
