#include <algorithm>
#include <cstddef>
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
    ApplyCircle(heightField_, size, TakeCircle(size), wrap_);
    ++job_.IterationsDone;
}

// One thread takes each circle and walks it whole, both sides of its centre
// at once, as the program's ticks do. More take a batch of circles in order,
// then each band of columns, which is a strip of the height field, takes
// every one of them that reaches it. The sums, and so the heights, are the
// same either way and for any number of threads.
void Terrain::TakeIterations(MapSize size, int32_t count, const IterationsReport& report) {
    constexpr int32_t kBatch = 4096;
    struct Reaching {
        Circle circle;
        ColumnSpan span;
    };
    std::vector<std::vector<Reaching>> bands(static_cast<std::size_t>(BandsOf(size.Width())));
    const int32_t end =
        job_.IterationsDone + std::clamp(count, 0, job_.TotalIterations - job_.IterationsDone);
    while (job_.IterationsDone < end) {
        const int32_t batch = std::min(kBatch, end - job_.IterationsDone);
        if (threads_ == 1) {
            for (int32_t i = 0; i < batch; ++i) {
                ApplyCircle(heightField_, size, TakeCircle(size), wrap_);
            }
        } else {
            for (auto& band : bands) band.clear();
            int32_t forAll = 0;
            for (int32_t i = 0; i < batch; ++i) {
                const Circle circle = TakeCircle(size);
                forAll -= circle.sign;
                for (const auto& [part, span] : CircleParts(size, circle, wrap_)) {
                    for (int32_t band = span.first / kBandWidth;
                         span.first <= span.last && band <= span.last / kBandWidth; ++band) {
                        bands[static_cast<std::size_t>(band)].push_back(
                            {part,
                             {std::max(span.first, band * kBandWidth),
                              std::min(span.last, (band + 1) * kBandWidth - 1)}});
                    }
                }
            }
            heightField_.DeferAddToAll(size, forAll);
            ForEachBand(size.Width(), threads_, [&](int32_t band, int32_t, int32_t) {
                const HeightField::StripChanges strip = heightField_.Strip(band);
                for (const Reaching& reaching : bands[static_cast<std::size_t>(band)]) {
                    ApplyCircleToStrip(strip, size, reaching.circle, reaching.span, wrap_);
                }
            });
        }
        job_.IterationsDone += batch;
        if (report) report(job_);
    }
}

}  // namespace morvik
