#include <benchmark/benchmark.h>

#include <QProcess>
#include <QTemporaryDir>
#include <memory>

#include "terrain/ErodedLand.h"
#include "terrain/ParallelFor.h"
#include "terrain/Terrain.h"

namespace morvik {
namespace {

// The erosion alone, with the default storms, of a roughness 3 run's
// heights at an engine's size.
void BM_Erosion(benchmark::State& state) {
    const auto side = static_cast<int32_t>(state.range(0));
    const MapSize size(side, side);
    FixedTickSource ticks(123456789);
    auto terrain = std::make_unique<Terrain>(ticks, size, MachineThreads());
    terrain->StartGeneration(size, 3, 4, side, side);
    terrain->CompleteIterations(size);
    for (auto _ : state) {
        state.PauseTiming();
        auto heights = std::make_unique<CellGrid>(terrain->Heights());
        state.ResumeTiming();
        ErodeLand(*heights, size, terrain->Job().SeaTarget, {.threads = MachineThreads()});
        benchmark::DoNotOptimize(heights->At(0, 0));
    }
}
BENCHMARK(BM_Erosion)
    ->Arg(2017)
    ->Arg(4033)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The whole command a developer runs for an eroded engine heightmap, as a
// user starts it: at most 6 s at 2017, 25 s at 4033 and 120 s at 8129.
void BM_ErodedHeightmap(benchmark::State& state) {
    const QString side = QString::number(state.range(0));
    QTemporaryDir folder;
    const QStringList arguments{"generate",    "--width",
                                side,          "--height",
                                side,          "--roughness",
                                "3",           "--sea",
                                "4",           "--tick",
                                "123456789",   "--erode",
                                "--heightmap", folder.filePath("h.png")};
    for (auto _ : state) {
        QProcess tool;
        tool.start(MORVIK_BATCH_PATH, arguments);
        if (!tool.waitForFinished(600000) || tool.exitCode() != 0) {
            state.SkipWithError("the batch tool failed");
            return;
        }
    }
}
BENCHMARK(BM_ErodedHeightmap)
    ->Arg(2017)
    ->Arg(4033)
    ->Arg(8129)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace morvik
