#pragma once

#include "terrain/CellGrid.h"
#include "terrain/Circle.h"
#include "terrain/MapSize.h"
#include "terrain/Wrap.h"

namespace morvik {

// The circle as first described: every cell of the corner compared with it,
// one by one, its offsets from the centre taken the short way round a
// wrapped edge. Slow, plainly right, and the yardstick for ApplyCircle.
void ApplyCircleCellByCell(CellGrid& heights, MapSize size, const Circle& circle,
                           Wrap wrap = Wrap::kNone);

}  // namespace morvik
