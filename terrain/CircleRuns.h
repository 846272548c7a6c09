#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "terrain/Circle.h"

namespace morvik {

// How a circle's part that is not the same for every cell becomes runs of
// rows, column by column, for any recorder of them: one that has
// AddToRows(x, firstRow, lastRow, delta) for the rows of column x. The
// whole map's height field is one; a tile of a larger world, another.

// A world's radii and distances reach past 46,340, whose square is the
// first past 32 bits.
inline int64_t Squared(int32_t n) { return int64_t{n} * n; }

// The largest r with r * r <= n, for 0 <= n < 2^52. The double holds n
// exactly, and its correctly rounded root stays below the next whole number
// unless n is a square, so cutting off the fraction is exact.
inline int32_t FloorSqrt(int64_t n) {
    return static_cast<int32_t>(std::sqrt(static_cast<double>(n)));
}

// Rows first..last of a map, which a recorder keeps.
struct RowSpan {
    int32_t first;
    int32_t last;
};

// How many rows the circle's centre lies beyond `rows`, above or below them,
// the short way round where the rows wrap (the centre's row then on the
// map): a column's inside reaches them only if it reaches that far.
template <bool kWrapsRows>
int32_t CircleReach(WorldSize size, const Circle& circle, RowSpan rows) {
    const auto beyond = [&](int32_t centreY) {
        return std::max({0, rows.first - centreY, centreY - rows.last});
    };
    const int32_t centreY = -circle.offY;
    if constexpr (!kWrapsRows) {
        return beyond(centreY);
    } else {
        return std::min(
            {beyond(centreY), beyond(centreY - size.Height()), beyond(centreY + size.Height())});
    }
}

// How many rows the farthest of `rows` lies from the circle's centre, the
// short way round where the rows wrap: a column whose inside reaches that
// far holds all of them.
template <bool kWrapsRows>
int32_t CircleFar(WorldSize size, const Circle& circle, RowSpan rows) {
    const int32_t centreY = -circle.offY;
    if constexpr (!kWrapsRows) {
        return std::max(std::abs(rows.first - centreY), std::abs(rows.last - centreY));
    } else {
        const int32_t height = size.Height();
        const auto apart = [&](int32_t y) {
            const int32_t distance = std::abs(y - centreY);
            return std::min(distance, height - distance);
        };
        // The farthest row of all is across the map from the centre's.
        int32_t far = std::max(apart(rows.first), apart(rows.last));
        for (const int32_t across : {height / 2, (height + 1) / 2}) {
            for (const int32_t y : {centreY + across, centreY - across}) {
                const int32_t onMap = (y % height + height) % height;
                if (onMap >= rows.first && onMap <= rows.last) far = std::max(far, apart(onMap));
            }
        }
        return far;
    }
}

// Records the circle's part that is not the same for every cell in the
// columns of `span` and rows of `rows`, through any recorder: one that has
// AddToRows and AddToColumns(firstX, lastX, delta) for every row it keeps
// in those columns; outside `rows` it may keep nothing. A part of a world
// skips the columns whose inside does not reach its rows, and takes those
// whose inside holds them all at once.
template <bool kWrapsRows, typename Changes>
void RecordCircle(Changes changes, WorldSize size, const Circle& circle, ColumnSpan span,
                  RowSpan rows) {
    const int64_t radiusSquared = Squared(circle.radius);
    const int32_t centreX = -circle.offX;
    const int32_t centreY = -circle.offY;
    const int32_t height = size.Height();
    const int32_t reach = CircleReach<kWrapsRows>(size, circle, rows);
    if (reach > std::abs(circle.radius)) return;
    const int32_t halfWidth = FloorSqrt(radiusSquared - Squared(reach));
    const int32_t first = std::max(span.first, centreX - halfWidth);
    const int32_t last = std::min(span.last, centreX + halfWidth);
    if (first > last) return;

    // Adds delta to rows centreY - u..centreY + u of column x, as far as
    // they lie on the map, or where the rows wrap, round it, at most once
    // each. Only for u >= reach: shorter runs miss the rows.
    const auto addRows = [&](int32_t x, int32_t u, int32_t delta) __attribute__((always_inline)) {
        if constexpr (!kWrapsRows) {
            changes.AddToRows(x, std::max(0, centreY - u), std::min(height - 1, centreY + u),
                              delta);
        } else if (2 * u + 1 >= height) {
            changes.AddToRows(x, 0, height - 1, delta);
        } else {
            const int32_t top = centreY - u;  // above -height, as the bottom is below 2 * height
            const int32_t bottom = centreY + u;
            changes.AddToRows(x, std::max(top, 0), std::min(bottom, height - 1), delta);
            if (top < 0) changes.AddToRows(x, top + height, height - 1, delta);
            if (bottom >= height) changes.AddToRows(x, 0, bottom - height, delta);
        }
    };

    // The columns within `held` of the centre have every row of `rows`
    // inside: their inner is far or more.
    const int32_t sign = circle.sign;
    const int64_t farSquared = Squared(CircleFar<kWrapsRows>(size, circle, rows));
    const int32_t held =
        farSquared < radiusSquared ? FloorSqrt(radiusSquared - farSquared - 1) : -1;
    if (held >= 0 && std::max(first, centreX - held) <= std::min(last, centreX + held)) {
        changes.AddToColumns(std::max(first, centreX - held), std::min(last, centreX + held),
                             2 * sign);
    }

    // Both columns at distance d share their rows, so walk d outwards from
    // the nearest column the rest. inner, the largest u with u^2 < rest (-1
    // when rest is 0), only falls as d grows.
    const int32_t nearest =
        std::max(std::abs(std::clamp(centreX, first, last) - centreX), held + 1);
    const int32_t farthest = std::max(centreX - first, last - centreX);
    if (nearest > farthest) return;
    const int64_t nearestRest = radiusSquared - Squared(nearest);
    int32_t inner = nearestRest == 0 ? -1 : FloorSqrt(nearestRest - 1);
    for (int32_t d = nearest; d <= farthest; ++d) {
        const int64_t rest = radiusSquared - Squared(d);
        while (inner >= 0 && Squared(inner) >= rest) --inner;
        // The inside rises by 2 * sign, and the cells on the circle, if any,
        // by sign: they are the rows at inner + 1. outer is that, or inner
        // when no cell is on the circle. So: one run of sign over +-outer
        // and one over +-inner.
        const int32_t outer = Squared(inner + 1) == rest ? inner + 1 : inner;
        // Inlined, as everything the walk calls a column: a call a column
        // costs the whole map half as much again.
        const auto recordColumn = [&](int32_t x) __attribute__((always_inline)) {
            if (outer == inner) {
                // Nothing on the circle, so the inside reaches the map.
                addRows(x, inner, 2 * sign);
            } else {
                addRows(x, outer, sign);
                if (inner >= reach) addRows(x, inner, sign);
            }
        };
        if (centreX + d <= last) recordColumn(centreX + d);
        if (d > 0 && centreX - d >= first) recordColumn(centreX - d);
    }
}

// The same, the rows wrapping or not for the whole circle, decided once.
template <typename Changes>
void RecordCircleRuns(Changes changes, WorldSize size, const Circle& circle, ColumnSpan span,
                      Wrap wrap, RowSpan rows) {
    if (WrapsRows(wrap)) {
        RecordCircle<true>(changes, size, circle, span, rows);
    } else {
        RecordCircle<false>(changes, size, circle, span, rows);
    }
}

// Every row of the map.
inline RowSpan AllRows(WorldSize size) { return {0, size.Height() - 1}; }

}  // namespace morvik
