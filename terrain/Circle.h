#pragma once

#include <cstdint>

#include "terrain/HeightField.h"
#include "terrain/MapSize.h"

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
Circle CircleFromNumbers(MapSize size, int32_t d1, int32_t d2, int32_t d3, int32_t d4);

// Columns first..last; empty when first > last.
struct ColumnSpan {
    int32_t first;
    int32_t last;
};

// The columns of the map whose cells the circle does not simply move by
// -sign: those that reach into the inside or onto the circle.
ColumnSpan CircleColumns(MapSize size, const Circle& circle);

// Applies the circle to the map's corner of the field, in time proportional to
// the width: the inside of the circle is one run of rows per column, and the
// cells on it are at most two more.
void ApplyCircle(HeightField& field, MapSize size, const Circle& circle);

// The circle's part that is not the same for every cell, in the columns of
// `span` (which lie within both the strip and CircleColumns) only. The
// rest, -sign for every cell, is the caller's, through DeferAddToAll.
void ApplyCircleToStrip(HeightField::StripChanges strip, MapSize size, const Circle& circle,
                        ColumnSpan span);

}  // namespace morvik
