#include <benchmark/benchmark.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <string>

#include "run/MapRun.h"
#include "tools/ProgressLine.h"
#include "tools/ThreadCount.h"

namespace morvik {
namespace {

// The batch tool, as a user starts it (or through `program`), once an
// iteration.
void RunTheTool(benchmark::State& state, const QStringList& arguments,
                const QString& program = MORVIK_BATCH_PATH) {
    for (auto _ : state) {
        QProcess tool;
        tool.start(program, arguments);
        if (!tool.waitForFinished(600000) || tool.exitCode() != 0) {
            state.SkipWithError("the batch tool failed");
            return;
        }
    }
}

// The batch tool itself at an engine's size, roughness 1, writing the raw
// heightmap alone (.../0) or both PNG files (.../1): the second may take at
// most a quarter longer than the first.
void BM_BatchFiles(benchmark::State& state) {
    const QString side = QString::number(state.range(0));
    const bool pngs = state.range(1) == 1;
    QTemporaryDir folder;
    QStringList arguments{"generate", "--width", side, "--height", side, "--tick", "123456789"};
    arguments << "--heightmap" << folder.filePath(pngs ? "h.png" : "h.r16");
    if (pngs) arguments << "-o" << folder.filePath("m.png");
    RunTheTool(state, arguments);
}
BENCHMARK(BM_BatchFiles)
    ->Args({4033, 0})
    ->Args({4033, 1})
    ->Args({8192, 0})
    ->Args({8192, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A world that wraps both ways (.../1) against the same map that does not
// (.../0), at 4033, roughness 3, with its heightmap: at most 1.1 times the
// plain run's time.
void BM_WrappedHeightmap(benchmark::State& state) {
    QTemporaryDir folder;
    QStringList arguments{"generate",
                          "--width",
                          "4033",
                          "--height",
                          "4033",
                          "--roughness",
                          "3",
                          "--tick",
                          "123456789",
                          "--heightmap",
                          folder.filePath("h.r16")};
    if (state.range(0) == 1)
        arguments << "--wrap"
                  << "xy";
    RunTheTool(state, arguments);
}
BENCHMARK(BM_WrappedHeightmap)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The whole command a developer runs for an eroded engine heightmap, on
// every core (.../0) or on one (.../1, under taskset): at most 60 s at 8129
// on two cores, and on two at most 0.65 times the time on one at 2017.
void BM_ErodedHeightmap(benchmark::State& state) {
    const QString side = QString::number(state.range(0));
    QTemporaryDir folder;
    QStringList arguments{"generate", "--width", side, "--height", side, "--roughness", "3"};
    arguments +=
        {"--sea", "4", "--tick", "123456789", "--erode", "--heightmap", folder.filePath("h.png")};
    if (state.range(1) == 0) {
        RunTheTool(state, arguments);
    } else {
        RunTheTool(state, QStringList{"-c", "0", MORVIK_BATCH_PATH} + arguments, "taskset");
    }
}
BENCHMARK(BM_ErodedHeightmap)
    ->Args({2017, 0})
    ->Args({2017, 1})
    ->Args({4033, 0})
    ->Args({8129, 0})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A run told to a progress line after every batch of circles (.../1), and
// the same run with nothing listening (.../0). The line is drawn on
// standard error, as on a terminal.
void BM_ProgressLine(benchmark::State& state) {
    const bool shown = state.range(0) == 1;
    for (auto _ : state) {
        ProgressLine line(shown);
        ProgressLine::Task task = line.Start("circles");
        MapRun run(
            {.width = 2049, .height = 2049, .roughness = 3, .seaShare = 5, .tick = 123456789},
            MachineThreads());
        StepReport report;
        if (shown) report = [&](RunStep, double share) { task.Show("circles", share); };
        run.Complete(report);
        benchmark::DoNotOptimize(run.SeaCells());
    }
}
BENCHMARK(BM_ProgressLine)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// An eroded engine-size map with its 16-bit heightmap alone (.../0), or
// with everything an engine and a map maker take from the run (.../1):
// float heights, normals, flow, the eight masks, an Unreal pack, the JSON
// report and the map with its rivers.
void BM_EngineFiles(benchmark::State& state) {
    const QString side = QString::number(state.range(0));
    QTemporaryDir folder;
    QStringList arguments{
        "generate", "--width",   side,      "--height",    side,
        "--tick",   "123456789", "--erode", "--heightmap", folder.filePath("h.png")};
    if (state.range(1) == 1) {
        arguments << "--normal" << folder.filePath("n.png") << "--flow" << folder.filePath("f.png")
                  << "--masks" << folder.filePath("m") << "--json" << folder.filePath("r.json")
                  << "--preset"
                  << "unreal"
                  << "--pack" << folder.filePath("ue") << "-o" << folder.filePath("map.png")
                  << "--rivers";
        arguments[arguments.indexOf(folder.filePath("h.png"))] = folder.filePath("h.exr");
    }
    RunTheTool(state, arguments);
}
BENCHMARK(BM_EngineFiles)
    ->Args({4033, 0})
    ->Args({4033, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace morvik
