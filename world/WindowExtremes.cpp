#include "world/WindowExtremes.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <limits>

namespace morvik {

namespace {

// A float as a number that orders as the floats do.
int64_t Ordered(float value) {
    const auto bits = std::bit_cast<int32_t>(value);
    return bits >= 0 ? bits : bits ^ INT32_MAX;
}
float FromOrdered(int64_t ordered) {
    const auto bits = static_cast<int32_t>(ordered);
    return std::bit_cast<float>(bits >= 0 ? bits : bits ^ INT32_MAX);
}

// The least and most of value(window, cell) over every window's own cells
// and every rank.
template <typename Value>
std::pair<int64_t, int64_t> LeastAndMost(const PartWindows& parts, const RankLinks& links,
                                         Value value) {
    int64_t least = INT64_MAX;
    int64_t most = INT64_MIN;
    for (std::size_t i = 0; i < parts.Windows().size(); ++i) {
        parts.Windows()[i].ForEachOwned([&](int32_t cell) {
            const int64_t at = value(i, cell);
            least = std::min(least, at);
            most = std::max(most, at);
        });
    }
    links.Least(std::span(&least, 1));
    links.Most(std::span(&most, 1));
    return {least, most};
}

}  // namespace

HeightExtremes WorldExtremes(const PartWindows& parts, const std::vector<CellGrid>& heights,
                             const RankLinks& links) {
    const auto [least, most] = LeastAndMost(
        parts, links, [&](std::size_t i, int32_t cell) { return int64_t{heights[i][cell]}; });
    return {.highest = static_cast<int32_t>(most), .lowest = static_cast<int32_t>(least)};
}

SurfaceExtremes WorldExtremes(const PartWindows& parts, const std::vector<LandSurface>& lands,
                              const RankLinks& links) {
    const auto [least, most] = LeastAndMost(
        parts, links, [&](std::size_t i, int32_t cell) { return Ordered(lands[i].heights[cell]); });
    return {FromOrdered(least), FromOrdered(most)};
}

}  // namespace morvik
