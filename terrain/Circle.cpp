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

namespace {

// A cell (x, y) with d = |x - centreX| and u = |y - centreY| is inside when
// u^2 < radius^2 - d^2 and on the circle when u^2 equals it: only columns
// with d^2 <= radius^2 - reach^2 have cells there on the map. -1 for none.
int32_t HalfWidth(MapSize size, const Circle& circle) {
    const int32_t reach = Reach(size, circle);
    if (reach > std::abs(circle.radius)) return -1;
    return FloorSqrt(circle.radius * circle.radius - reach * reach);
}

// n modulo a positive m, in 0..m - 1.
int32_t Around(int32_t n, int32_t m) { return (n % m + m) % m; }

}  // namespace

ColumnSpan CircleColumns(MapSize size, const Circle& circle) {
    const int32_t halfWidth = HalfWidth(size, circle);
    if (halfWidth < 0) return {0, -1};
    const int32_t centreX = -circle.offX;
    return {std::max(0, centreX - halfWidth), std::min(size.Width() - 1, centreX + halfWidth)};
}

std::array<CirclePart, 2> CircleParts(MapSize size, const Circle& circle, Wrap wrap) {
    const int32_t width = size.Width();
    const int32_t height = size.Height();
    Circle centred = circle;
    if (WrapsRows(wrap)) centred.offY = -Around(-circle.offY, height);
    if (!WrapsColumns(wrap)) return {{{centred, CircleColumns(size, centred)}, {centred, {0, -1}}}};

    // The columns within the half width the short way round, at most the
    // width of them: first..last counted from the centre's column on the
    // map, and those beyond an edge from its copy across the other.
    centred.offX = -Around(-circle.offX, width);
    const int32_t centreX = -centred.offX;
    const int32_t halfWidth = std::min(HalfWidth(size, centred), width / 2);
    if (halfWidth < 0) return {{{centred, {0, -1}}, {centred, {0, -1}}}};
    const int32_t first = centreX - halfWidth;
    const int32_t last = first + std::min(2 * halfWidth, width - 1);
    Circle copy = centred;
    ColumnSpan across{0, -1};
    if (first < 0) {
        copy.offX -= width;  // the centre's copy beyond the right edge
        across = {first + width, width - 1};
    } else if (last >= width) {
        copy.offX += width;
        across = {0, last - width};
    }
    return {{{centred, {std::max(first, 0), std::min(last, width - 1)}}, {copy, across}}};
}

namespace {

// Records the circle's part that is not the same for every cell in the
// columns of `span`, through either recorder.
template <bool kWrapsRows, typename Changes>
void RecordCircle(Changes changes, MapSize size, const Circle& circle, ColumnSpan span) {
    const int32_t radiusSquared = circle.radius * circle.radius;
    const int32_t centreX = -circle.offX;
    const int32_t centreY = -circle.offY;
    const int32_t height = size.Height();
    const int32_t reach = Reach(size, circle);

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

// Each recorder's rows wrap or not for the whole circle, decided once.
template <typename Changes>
void RecordCircleOnMap(Changes changes, MapSize size, const Circle& circle, ColumnSpan span,
                       Wrap wrap) {
    if (WrapsRows(wrap)) {
        RecordCircle<true>(changes, size, circle, span);
    } else {
        RecordCircle<false>(changes, size, circle, span);
    }
}
}  // namespace

// Every cell moves by -sign; relative to that, the inside moves by 2 * sign
// and the cells on the circle by sign.
// The columns are walked both sides of the centre at once, through a
// recorder that finds any column's strip.
void ApplyCircle(HeightField& field, MapSize size, const Circle& circle, Wrap wrap) {
    field.DeferAddToAll(size, -circle.sign);
    for (const CirclePart& part : CircleParts(size, circle, wrap)) {
        if (part.span.first <= part.span.last) {
            RecordCircleOnMap(field.AllStrips(), size, part.circle, part.span, wrap);
        }
    }
}

void ApplyCircleToStrip(HeightField::StripChanges strip, MapSize size, const Circle& part,
                        ColumnSpan span, Wrap wrap) {
    RecordCircleOnMap(strip, size, part, span, wrap);
}

}  // namespace morvik
