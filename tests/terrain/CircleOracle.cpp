#include "tests/terrain/CircleOracle.h"

namespace morvik {

void ApplyCircleCellByCell(CellGrid& heights, MapSize size, const Circle& circle) {
    const int32_t radiusSquared = circle.radius * circle.radius;
    for (int32_t x = 0; x < size.Width(); ++x) {
        for (int32_t y = 0; y < size.Height(); ++y) {
            const int32_t dx = x + circle.offX;
            const int32_t dy = y + circle.offY;
            const int32_t distanceSquared = dx * dx + dy * dy;
            if (distanceSquared < radiusSquared) heights.At(x, y) += circle.sign;
            if (distanceSquared > radiusSquared) heights.At(x, y) -= circle.sign;
        }
    }
}

}  // namespace morvik
