#include <benchmark/benchmark.h>

#include <QImage>

#include "components/ReducedImage/ColourReduction.h"
#include "components/ReducedImage/ReducedImageStore.h"
#include "run/MapRun.h"
#include "tests/ReducedImage/BmpBuilder.h"

namespace morvik {
namespace {

// The heaviest map the program makes, as a BMP file image.
const ZeroedVector<uint8_t>& LargestMap() {
    static const ZeroedVector<uint8_t> picture = [] {
        MapRun run({.width = kLargestProgramMap.Width(),
                    .height = kLargestProgramMap.Height(),
                    .roughness = 5,
                    .seaShare = 5,
                    .tick = 123456789});
        run.Complete();
        return std::move(run.Picture(MapView::kColour).image);
    }();
    return picture;
}

void BM_ReduceMap(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ReduceImage(LargestMap(), 256));
}
BENCHMARK(BM_ReduceMap)->Unit(benchmark::kMillisecond);

// From the shown picture to the finished 8-bit file image in memory.
void BM_SaveMap(benchmark::State& state) {
    const QImage picture =
        QImage::fromData(LargestMap().data(), static_cast<int>(LargestMap().size()), "BMP")
            .convertToFormat(QImage::Format_RGBX8888);
    for (auto _ : state) {
        ReducedImageStore store;
        store.LoadFromBitmap(picture);
        store.ReduceColors(256);
        benchmark::DoNotOptimize(store.Bytes().data());
    }
}
BENCHMARK(BM_SaveMap)->Unit(benchmark::kMillisecond);

// The gradient that needs the dither and the level search, tiled 16 x 16.
void BM_ReduceGradient(benchmark::State& state) {
    const std::vector<uint8_t> source = MakeBmp24(1024, 1024, [](int32_t x, int32_t y) {
        const int32_t u = x % 64;
        const int32_t v = y % 64;
        return static_cast<uint32_t>(4 * u | (4 * v) << 8 | (2 * (u + v)) << 16);
    });
    Reduction reduction;
    for (auto _ : state) benchmark::DoNotOptimize(reduction = ReduceImage(source, 256));
    state.counters["colours"] = reduction.colourCount;
    state.counters["levels"] = reduction.levels;
}
BENCHMARK(BM_ReduceGradient)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morvik
