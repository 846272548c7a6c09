#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "terrain/HeightField.h"
#include "terrain/MapSize.h"
#include "terrain/ParallelFor.h"
#include "terrain/RandomSource.h"
#include "terrain/WorldSize.h"
#include "terrain/Wrap.h"

namespace morvik {

// One iteration's circle. A cell (x, y) with D = (x + offX)^2 + (y + offY)^2
// rises by sign when D < radius^2, falls by sign when D > radius^2 and stays
// when D = radius^2. The radius may be negative: only its square counts.
struct Circle {
    int32_t sign;
    int32_t radius;
    int32_t offX;
    int32_t offY;
};

// The circle that four numbers taken, read as signed, make on a map.
Circle CircleFromNumbers(WorldSize size, int32_t d1, int32_t d2, int32_t d3, int32_t d4);

// The next circle of a run: four numbers from the random source, each
// below the tick `tick()` gives as it is taken.
template <typename Tick>
Circle TakeCircle(RandomSource& random, const Tick& tick, WorldSize size) {
    const auto take = [&] { return static_cast<int32_t>(random.RandomBelow(tick())); };
    // Four separate statements: the numbers must be taken in this order.
    const int32_t d1 = take();
    const int32_t d2 = take();
    const int32_t d3 = take();
    const int32_t d4 = take();
    return CircleFromNumbers(size, d1, d2, d3, d4);
}

// How many circles a run takes on a map of this size.
inline int64_t CircleCount(int32_t roughness, WorldSize size) {
    return roughness * (size.Cells() / 50) + int64_t{roughness} * 400;
}

// Columns first..last; empty when first > last.
struct ColumnSpan {
    int32_t first;
    int32_t last;
};

// Calls visit(band, part) for the part of `span` in each band of columns
// (ForEachBand's) of a map whose first column is `left`.
template <typename Visit>
void ForEachBandOf(ColumnSpan span, int32_t left, Visit visit) {
    for (int32_t x = span.first; x <= span.last;) {
        const int32_t band = (x - left) / kBandWidth;
        const int32_t end = std::min(span.last, left + (band + 1) * kBandWidth - 1);
        visit(band, ColumnSpan{x, end});
        x = end + 1;
    }
}

// The columns of the map whose cells the circle does not simply move by
// -sign: those that reach into the inside or onto the circle.
ColumnSpan CircleColumns(WorldSize size, const Circle& circle);

// The circle's columns on a map that may wrap, each measured from the
// centre: on a wrapped map those across the edge from the centre's column
// are measured from a copy of it one map width away, the short way round, so
// the columns that cross the edge split in two parts. Where the rows wrap,
// the centre's row is taken onto the map. Parts with an empty span are
// none.
struct CirclePart {
    Circle circle;
    ColumnSpan span;
};
std::array<CirclePart, 2> CircleParts(WorldSize size, const Circle& circle, Wrap wrap);

// Applies the circle to the map's corner of the field, in time proportional to
// the width: the inside of the circle is one run of rows per column (two
// where the rows wrap), and the cells on it are at most two more.
void ApplyCircle(HeightField& field, MapSize size, const Circle& circle, Wrap wrap = Wrap::kNone);

// One part's share of the circle that is not the same for every cell, in the
// columns of `span` (which lie within both the strip and the part's span)
// only. The rest, -sign for every cell, is the caller's, through
// DeferAddToAll.
void ApplyCircleToStrip(HeightField::StripChanges strip, MapSize size, const Circle& part,
                        ColumnSpan span, Wrap wrap);

}  // namespace morvik
