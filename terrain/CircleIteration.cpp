#include "terrain/Circle.h"
#include "terrain/Terrain.h"

namespace morvik {

void Terrain::CircleIteration(MapSize size) {
    // Four separate statements: the draws must happen in this order.
    const int32_t d1 = Draw();
    const int32_t d2 = Draw();
    const int32_t d3 = Draw();
    const int32_t d4 = Draw();
    ApplyCircle(heightField_, size, CircleFromDraws(size, d1, d2, d3, d4));
    ++job_.IterationsDone;
}

}  // namespace morvik
