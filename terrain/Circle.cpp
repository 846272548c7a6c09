#include "terrain/Circle.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace morvik {

namespace {

// The largest r with r * r <= n, for 0 <= n < 2^31. The double holds n
// exactly, and its correctly rounded root stays below the next whole number
// unless n is a square, so cutting off the fraction is exact.
int32_t FloorSqrt(int32_t n) { return static_cast<int32_t>(std::sqrt(static_cast<double>(n))); }

// How many rows the circle's centre lies beyond the map, above or below it:
// a column's inside reaches the map only if it reaches that far.
int32_t Reach(MapSize size, const Circle& circle) {
    const int32_t centreY = -circle.offY;
    return std::max({0, -centreY, centreY - (size.Height() - 1)});
}

}  // namespace

Circle CircleFromNumbers(MapSize size, int32_t d1, int32_t d2, int32_t d3, int32_t d4) {
    const int32_t width = size.Width();
    const int32_t height = size.Height();
    return Circle{
        .sign = d1 % 2 == 1 ? 1 : -1,
        .radius = d2 % ((width + height) / 2),
        .offX = d3 % (3 * width) - width,
        .offY = d4 % (3 * height) - height,
    };
}

// A cell (x, y) with d = |x - centreX| and u = |y - centreY| is inside when
// u^2 < radius^2 - d^2 and on the circle when u^2 equals it: only columns
// with d^2 <= radius^2 - reach^2 have cells there on the map.
ColumnSpan CircleColumns(MapSize size, const Circle& circle) {
    const int32_t reach = Reach(size, circle);
    if (reach > std::abs(circle.radius)) return {0, -1};
    const int32_t halfWidth = FloorSqrt(circle.radius * circle.radius - reach * reach);
    const int32_t centreX = -circle.offX;
    return {std::max(0, centreX - halfWidth), std::min(size.Width() - 1, centreX + halfWidth)};
}

namespace {

// Records the circle's part that is not the same for every cell in the
// columns of `span`, through either recorder.
template <typename Changes>
void RecordCircle(Changes changes, MapSize size, const Circle& circle, ColumnSpan span) {
    const int32_t radiusSquared = circle.radius * circle.radius;
    const int32_t centreX = -circle.offX;
    const int32_t centreY = -circle.offY;
    const int32_t height = size.Height();
    const int32_t reach = Reach(size, circle);

    // Adds delta to rows centreY - u..centreY + u of column x, as far as
    // they lie on the map. Only for u >= reach: shorter runs miss it.
    const auto addRows = [&](int32_t x, int32_t u, int32_t delta) {
        changes.AddToRows(x, std::max(0, centreY - u), std::min(height - 1, centreY + u), delta);
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

}  // namespace

// Every cell moves by -sign; relative to that, the inside moves by 2 * sign
// and the cells on the circle by sign.
// The columns are walked both sides of the centre at once, through a
// recorder that finds any column's strip.
void ApplyCircle(HeightField& field, MapSize size, const Circle& circle) {
    field.DeferAddToAll(size, -circle.sign);
    const ColumnSpan span = CircleColumns(size, circle);
    if (span.first <= span.last) RecordCircle(field.AllStrips(), size, circle, span);
}

void ApplyCircleToStrip(HeightField::StripChanges strip, MapSize size, const Circle& circle,
                        ColumnSpan span) {
    RecordCircle(strip, size, circle, span);
}

}  // namespace morvik
