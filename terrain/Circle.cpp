#include "terrain/Circle.h"

#include <algorithm>
#include <cstdlib>

namespace morvik {

namespace {

// Adds delta to rows first..last of column x, as far as they lie on the map.
void AddToRows(HeightField& field, int32_t mapHeight, int32_t x, int32_t first, int32_t last,
               int32_t delta) {
    first = std::max(first, 0);
    last = std::min(last, mapHeight - 1);
    if (first <= last) field.DeferAddToRows(x, first, last, delta);
}

}  // namespace

Circle CircleFromDraws(MapSize size, int32_t d1, int32_t d2, int32_t d3, int32_t d4) {
    const int32_t width = size.Width();
    const int32_t height = size.Height();
    return Circle{
        .sign = d1 % 2 == 1 ? 1 : -1,
        .radius = d2 % ((width + height) / 2),
        .offX = d3 % (3 * width) - width,
        .offY = d4 % (3 * height) - height,
    };
}

void ApplyCircle(HeightField& field, MapSize size, const Circle& circle) {
    // Every cell moves by -sign; relative to that, the inside moves by
    // 2 * sign and the cells on the circle by sign.
    field.DeferAddToAll(size, -circle.sign);

    const int32_t radius = std::abs(circle.radius);
    const int32_t radiusSquared = radius * radius;
    const int32_t firstX = std::max(0, -radius - circle.offX);
    const int32_t lastX = std::min(size.Width() - 1, radius - circle.offX);

    // In column x, with dx = x + offX and u = y + offY, a cell is inside when
    // u^2 < rest = radius^2 - dx^2. inner is the largest u with u^2 < rest
    // (-1 when rest is 0); it moves by small steps from column to column.
    int32_t inner = -1;
    for (int32_t x = firstX; x <= lastX; ++x) {
        const int32_t dx = x + circle.offX;
        const int32_t rest = radiusSquared - dx * dx;
        while ((inner + 1) * (inner + 1) < rest) ++inner;
        while (inner >= 0 && inner * inner >= rest) --inner;

        if (inner >= 0) {
            AddToRows(field, size.Height(), x, -inner - circle.offY, inner - circle.offY,
                      2 * circle.sign);
        }
        const int32_t on = inner + 1;
        if (on * on == rest) {
            AddToRows(field, size.Height(), x, on - circle.offY, on - circle.offY, circle.sign);
            if (on > 0) {
                AddToRows(field, size.Height(), x, -on - circle.offY, -on - circle.offY,
                          circle.sign);
            }
        }
    }
}

}  // namespace morvik
