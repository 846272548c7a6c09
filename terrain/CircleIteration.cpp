#include <algorithm>
#include <vector>

#include "terrain/Circle.h"
#include "terrain/ParallelFor.h"
#include "terrain/Terrain.h"

namespace morvik {

Circle Terrain::TakeCircle(MapSize size) {
    // Four separate statements: the numbers must be taken in this order.
    const int32_t d1 = Take();
    const int32_t d2 = Take();
    const int32_t d3 = Take();
    const int32_t d4 = Take();
    return CircleFromNumbers(size, d1, d2, d3, d4);
}

void Terrain::CircleIteration(MapSize size) {
    ApplyCircle(heightField_, size, TakeCircle(size));
    ++job_.IterationsDone;
}

// The circles of a batch are taken in order, then each band of columns,
// which is a strip of the height field, takes every one of them: the sums,
// and so the heights, are the same for any number of threads.
void Terrain::CompleteIterations(MapSize size) {
    constexpr int32_t kBatch = 4096;
    std::vector<Circle> batch;
    while (job_.IterationsDone < job_.TotalIterations) {
        batch.clear();
        int32_t forAll = 0;
        const int32_t count = std::min(kBatch, job_.TotalIterations - job_.IterationsDone);
        for (int32_t i = 0; i < count; ++i) {
            batch.push_back(TakeCircle(size));
            forAll -= batch.back().sign;
        }
        heightField_.DeferAddToAll(size, forAll);
        ForEachBand(size.Width(), threads_, [&](int32_t, int32_t first, int32_t end) {
            for (const Circle& circle : batch) {
                ApplyCircleToColumns(heightField_, size, circle, first, end - 1);
            }
        });
        job_.IterationsDone += count;
    }
}

}  // namespace morvik
