#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <map>
#include <string>

namespace {

// The usual console table, followed by how many times faster each ...Fast
// case ran than its ...Naive reference.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                secondsPerIteration_[run.benchmark_name()] =
                    run.real_accumulated_time / static_cast<double>(run.iterations);
            }
        }
    }

    void Finalize() override {
        const std::string naive = "Naive";
        for (const auto& [name, seconds] : secondsPerIteration_) {
            if (!name.ends_with(naive)) continue;
            const std::string fast = name.substr(0, name.size() - naive.size()) + "Fast";
            const auto found = secondsPerIteration_.find(fast);
            if (found == secondsPerIteration_.end()) continue;
            std::printf("%s / %s: %.0f\n", name.c_str(), fast.c_str(), seconds / found->second);
        }
        // A small run against the 784 ms its 784 timer ticks need at least.
        const auto smallRun = secondsPerIteration_.find("BM_SmallRunWall/iterations:3/real_time");
        if (smallRun != secondsPerIteration_.end()) {
            std::printf("BM_SmallRunWall / 784 ms: %.2f\n", smallRun->second / 0.784);
        }
        // An eroded run on both cores against the same on one.
        const auto both =
            secondsPerIteration_.find("BM_ErodedHeightmap/2017/0/iterations:1/real_time");
        const auto one =
            secondsPerIteration_.find("BM_ErodedHeightmap/2017/1/iterations:1/real_time");
        if (both != secondsPerIteration_.end() && one != secondsPerIteration_.end()) {
            std::printf("BM_ErodedHeightmap/2017 two cores / one: %.2f\n",
                        both->second / one->second);
        }
        ConsoleReporter::Finalize();
    }

  private:
    std::map<std::string, double> secondsPerIteration_;
};

}  // namespace

int main(int argc, char** argv) {
    // The program's windows are measured offscreen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
