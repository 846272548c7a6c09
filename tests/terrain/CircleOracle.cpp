#include "tests/terrain/CircleOracle.h"

#include <algorithm>
#include <cstdlib>

namespace morvik {

namespace {

// The offset of a cell from the centre along one side, the short way round
// when it wraps.
int32_t Offset(int32_t cell, int32_t centre, int32_t side, bool wraps) {
    if (!wraps) return cell - centre;
    const int32_t apart = std::abs(cell - ((centre % side + side) % side));
    return std::min(apart, side - apart);
}

}  // namespace

void ApplyCircleCellByCell(CellGrid& heights, MapSize size, const Circle& circle, Wrap wrap) {
    const int64_t radiusSquared = int64_t{circle.radius} * circle.radius;
    for (int32_t x = 0; x < size.Width(); ++x) {
        for (int32_t y = 0; y < size.Height(); ++y) {
            const int64_t dx = Offset(x, -circle.offX, size.Width(), WrapsColumns(wrap));
            const int64_t dy = Offset(y, -circle.offY, size.Height(), WrapsRows(wrap));
            const int64_t distanceSquared = dx * dx + dy * dy;
            if (distanceSquared < radiusSquared) heights.At(x, y) += circle.sign;
            if (distanceSquared > radiusSquared) heights.At(x, y) -= circle.sign;
        }
    }
}

}  // namespace morvik
