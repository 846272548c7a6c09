#include <algorithm>
#include <cstddef>
#include <vector>

#include "terrain/Circle.h"
#include "terrain/ParallelFor.h"
#include "terrain/Terrain.h"

namespace morvik {

Circle Terrain::TakeCircle(MapSize size) {
    return morvik::TakeCircle(
        random_, [this] { return ticks_.Ticks(); }, size);
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
    std::vector<std::vector<CirclePart>> bands(static_cast<std::size_t>(BandsOf(size.Width())));
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
                for (const CirclePart& part : CircleParts(size, circle, wrap_)) {
                    ForEachBandOf(part.span, 0, [&](int32_t band, ColumnSpan within) {
                        bands[static_cast<std::size_t>(band)].push_back({part.circle, within});
                    });
                }
            }
            heightField_.DeferAddToAll(size, forAll);
            ForEachBand(size.Width(), threads_, [&](int32_t band, int32_t, int32_t) {
                const HeightField::StripChanges strip = heightField_.Strip(band);
                for (const CirclePart& part : bands[static_cast<std::size_t>(band)]) {
                    ApplyCircleToStrip(strip, size, part.circle, part.span, wrap_);
                }
            });
        }
        job_.IterationsDone += batch;
        if (report) report(job_);
    }
}

}  // namespace morvik
