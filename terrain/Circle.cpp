#include "terrain/Circle.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "terrain/CircleRuns.h"

namespace morvik {

Circle CircleFromNumbers(WorldSize size, int32_t d1, int32_t d2, int32_t d3, int32_t d4) {
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
int32_t HalfWidth(WorldSize size, const Circle& circle) {
    const int32_t reach = CircleReach<false>(size, circle, AllRows(size));
    if (reach > std::abs(circle.radius)) return -1;
    return FloorSqrt(Squared(circle.radius) - Squared(reach));
}

// n modulo a positive m, in 0..m - 1.
int32_t Around(int32_t n, int32_t m) { return (n % m + m) % m; }

}  // namespace

ColumnSpan CircleColumns(WorldSize size, const Circle& circle) {
    const int32_t halfWidth = HalfWidth(size, circle);
    if (halfWidth < 0) return {0, -1};
    const int32_t centreX = -circle.offX;
    return {std::max(0, centreX - halfWidth), std::min(size.Width() - 1, centreX + halfWidth)};
}

std::array<CirclePart, 2> CircleParts(WorldSize size, const Circle& circle, Wrap wrap) {
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

// Every cell moves by -sign; relative to that, the inside moves by 2 * sign
// and the cells on the circle by sign.
// The columns are walked both sides of the centre at once, through a
// recorder that finds any column's strip.
void ApplyCircle(HeightField& field, MapSize size, const Circle& circle, Wrap wrap) {
    field.DeferAddToAll(size, -circle.sign);
    for (const CirclePart& part : CircleParts(size, circle, wrap)) {
        if (part.span.first <= part.span.last) {
            RecordCircleRuns(field.AllStrips(), size, part.circle, part.span, wrap, AllRows(size));
        }
    }
}

void ApplyCircleToStrip(HeightField::StripChanges strip, MapSize size, const Circle& part,
                        ColumnSpan span, Wrap wrap) {
    RecordCircleRuns(strip, size, part, span, wrap, AllRows(size));
}

}  // namespace morvik
