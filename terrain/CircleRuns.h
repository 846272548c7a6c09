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

// The largest r with r * r <= n, for 0 <= n < 2^31. The double holds n
// exactly, and its correctly rounded root stays below the next whole number
// unless n is a square, so cutting off the fraction is exact.
inline int32_t FloorSqrt(int32_t n) {
    return static_cast<int32_t>(std::sqrt(static_cast<double>(n)));
}

// How many rows the circle's centre lies beyond the map, above or below it:
// a column's inside reaches the map only if it reaches that far.
inline int32_t CircleReach(MapSize size, const Circle& circle) {
    const int32_t centreY = -circle.offY;
    return std::max({0, -centreY, centreY - (size.Height() - 1)});
}

// Records the circle's part that is not the same for every cell in the
// columns of `span`, through any recorder.
template <bool kWrapsRows, typename Changes>
void RecordCircle(Changes changes, MapSize size, const Circle& circle, ColumnSpan span) {
    const int32_t radiusSquared = circle.radius * circle.radius;
    const int32_t centreX = -circle.offX;
    const int32_t centreY = -circle.offY;
    const int32_t height = size.Height();
    const int32_t reach = CircleReach(size, circle);

    // Adds delta to rows centreY - u..centreY + u of column x, as far as
    // they lie on the map, or where the rows wrap, round it, at most once
    // each. Only for u >= reach: shorter runs miss the map.
    const auto addRows = [&](int32_t x, int32_t u, int32_t delta) {
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

    // Both columns at distance d share their rows, so walk d outwards from
    // the nearest column. inner, the largest u with u^2 < rest (-1 when rest
    // is 0), only falls as d grows.
    const int32_t sign = circle.sign;
    const int32_t nearest = std::abs(std::clamp(centreX, span.first, span.last) - centreX);
    const int32_t farthest = std::max(centreX - span.first, span.last - centreX);
    const int32_t nearestRest = radiusSquared - nearest * nearest;
    int32_t inner = nearestRest == 0 ? -1 : FloorSqrt(nearestRest - 1);
    for (int32_t d = nearest; d <= farthest; ++d) {
        const int32_t rest = radiusSquared - d * d;
        while (inner >= 0 && inner * inner >= rest) --inner;
        // The inside rises by 2 * sign, and the cells on the circle, if any,
        // by sign: they are the rows at inner + 1. outer is that, or inner
        // when no cell is on the circle. So: one run of sign over +-outer
        // and one over +-inner.
        const int32_t outer = (inner + 1) * (inner + 1) == rest ? inner + 1 : inner;
        const auto recordColumn = [&](int32_t x) {
            if (outer == inner) {
                // Nothing on the circle, so the inside reaches the map.
                addRows(x, inner, 2 * sign);
            } else {
                addRows(x, outer, sign);
                if (inner >= reach) addRows(x, inner, sign);
            }
        };
        if (centreX + d <= span.last) recordColumn(centreX + d);
        if (d > 0 && centreX - d >= span.first) recordColumn(centreX - d);
    }
}

// The same, the rows wrapping or not for the whole circle, decided once.
template <typename Changes>
void RecordCircleRuns(Changes changes, MapSize size, const Circle& circle, ColumnSpan span,
                      Wrap wrap) {
    if (WrapsRows(wrap)) {
        RecordCircle<true>(changes, size, circle, span);
    } else {
        RecordCircle<false>(changes, size, circle, span);
    }
}

}  // namespace morvik
