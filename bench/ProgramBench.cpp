#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <memory>

#include "app/Unit1.h"
#include "app/Unit2.h"

namespace morvik {
namespace {

// The program's two windows, offscreen, on a clock that stands still.
struct Program {
    Program() {
        form1.show();
        form2 = std::make_unique<TForm2>(form1);
        form1.SetMapView(form2.get());
    }
    void SetSize(int width, int height) {
        // The offscreen screen is 800 x 600; the largest map needs more.
        form1.Controls().WV->SetMax(width);
        form1.Controls().HV->SetMax(height);
        form1.Controls().WV->SetNValue(width);
        form1.Controls().HV->SetNValue(height);
    }

    FixedTickSource ticks{123456789};
    std::unique_ptr<Terrain> terrain = std::make_unique<Terrain>(ticks, kLargestProgramMap);
    TForm1 form1{*terrain};
    std::unique_ptr<TForm2> form2;
};

// One tick of the heaviest run, well inside it: the iteration, the progress
// bar and the counter repainted at once.
void BM_ControlWindowTick(benchmark::State& state) {
    Program program;
    program.SetSize(1280, 1024);
    program.form1.Controls().UpDown1->SetPosition(5);  // 133,070 iterations
    program.form1.Button1Click();
    for (int i = 0; i < 1000; ++i) program.form1.Timer1Timer();
    for (auto _ : state) program.form1.Timer1Timer();
    if (!program.form1.Running()) state.SkipWithError("the run ended inside the measurement");
}
// Fewer ticks than the run has iterations, so no tick is the finishing one.
BENCHMARK(BM_ControlWindowTick)->Iterations(50000)->Unit(benchmark::kMicrosecond);

// A whole small run through the real event loop and its 1 ms timer, from
// the click to the drawn map.
void BM_SmallRunWall(benchmark::State& state) {
    Program program;
    program.SetSize(160, 120);
    for (auto _ : state) {
        program.form1.Button1Click();
        while (program.form1.Running()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    }
    state.counters["iterations"] = program.terrain->Job().TotalIterations;
}
BENCHMARK(BM_SmallRunWall)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morvik
