#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "components/ReducedImage/BmpCrop.h"
#include "components/ReducedImage/ColourReduction.h"
#include "platform/ToolkitErrors.h"
#include "run/MapRun.h"
#include "tools/BatchOptions.h"
#include "tools/BmpInput.h"
#include "tools/HeightmapWriter.h"
#include "tools/OutputFile.h"
#include "tools/OutputFiles.h"
#include "tools/OutputSet.h"
#include "tools/ProgressLine.h"
#include "tools/Report.h"
#include "tools/RunOutput.h"
#include "tools/StandardStreams.h"
#include "tools/ThreadCount.h"
#include "tools/Tiles.h"

namespace morvik {
namespace {

// The error shape: "morvik-batch: WHAT" on standard error, exit status 1.
int Fail(const std::string& what) {
    std::fprintf(stderr, "morvik-batch: %s\n", what.c_str());
    return 1;
}

ProgressLine Progress(const BatchOptions& options) {
    return ProgressLine(!options.quiet && ProgressLine::StandardErrorIsTerminal());
}

// The report goes where no file of the run goes.
Report ReportFor(const BatchOptions& options) {
    return Report(IsStandardOutput(options.output) ||
                  (!options.heightmap.empty() && IsStandardOutput(options.heightmap)));
}

std::string Writing(const OutputFile& file) { return "writing " + ShownName(file.Name()); }

// The reduced image's pixels within a tile.
std::vector<uint8_t> MapTile(std::span<const uint8_t> image, const Tile& tile) {
    return CropBmpImage(image, {tile.left, tile.top, tile.size.Width(), tile.size.Height()});
}

// Reduced to at most the asked colours, then written into the output's
// files, which stay to be committed.
Reduction ReduceAndWrite(std::span<const uint8_t> picture, int32_t colours, RunOutput& output,
                         ProgressLine& progress) {
    ProgressLine::Task task = progress.Start("reduction");
    Reduction reduction = ReduceImage(picture, colours);
    output.WriteTiles(std::span<const uint8_t>(reduction.image), MapTile,
                      [&](std::span<const uint8_t> image, OutputFile& file) {
                          task.Show(Writing(file));
                          WriteMapImage(image, file,
                                        [&](double share) { task.Show(Writing(file), share); });
                      });
    return reduction;
}

// Says so when the tick keeps the circles from taking their whole ranges.
void WarnOfASmallTick(uint32_t tick, MapSize size) {
    if (tick >= SmallestFullTick(size)) return;
    std::fprintf(stderr,
                 "morvik-batch: warning: tick %u is below %lld, three times the map's longer "
                 "side: every number taken is below the tick, so the circles cannot take all "
                 "their places and sizes and crowd toward the bottom right; the smaller the "
                 "tick, the flatter the map\n",
                 tick, static_cast<long long>(SmallestFullTick(size)));
}

// What the progress line calls each step of a run.
const char* StepName(RunStep step) {
    switch (step) {
        case RunStep::kCircles:
            return "circles";
        case RunStep::kErosion:
            return "erosion";
        case RunStep::kFinish:
        case RunStep::kDone:
            break;
    }
    return "finish";
}

// The run, its heightmap handed to the writer as soon as it is made, and
// its picture in the asked view; the report told the run's keys. The run's
// grids are gone once it returns, before the picture is reduced.
MapPicture RunAndDraw(const BatchOptions& options, ProgressLine& progress,
                      std::optional<HeightmapWriter>& heightmapWriter, Report& report) {
    ProgressLine::Task task = progress.Start("circles");
    MapRun run(options.run, MachineThreads());
    run.Complete(
        [&](RunStep step, double share) {
            if (step == RunStep::kCircles || step == RunStep::kErosion) {
                task.Show(StepName(step), share);
            } else {
                task.Show(StepName(step));
            }
        },
        [&] {
            if (!heightmapWriter) return;
            task.Show("heightmap");
            heightmapWriter->Start(run.MakeHeightmap());
        });
    MapPicture picture = run.Picture(options.view);
    report.Value("tick", options.run.tick);
    report.Value("total_iterations", run.Job().TotalIterations);
    report.Value("sea_target", run.Job().SeaTarget);
    report.Value("lowering_passes", run.LoweringPasses());
    report.Value("sea_cells", run.SeaCells());
    report.Value("highest", picture.extremes.highest);
    report.Value("lowest", picture.extremes.lowest);
    return picture;
}

// Every file is opened before the run, so that one that cannot be written
// is known at once, and each is written in full before any takes its
// file's place.
int Generate(const BatchOptions& options) {
    // Asked before any file takes its place: a file that is standard output
    // now may be replaced by then.
    Report report = ReportFor(options);
    const RunSettings& settings = options.run;
    const MapSize size = settings.Size();
    WarnOfASmallTick(settings.tick, size);
    if (options.tiles) {
        const int outputs = (options.heightmap.empty() ? 0 : 1) + (options.output.empty() ? 0 : 1);
        MakeRoomForFiles(int64_t{options.tiles->across} * options.tiles->down * outputs);
    }
    OutputSet files;
    std::optional<RunOutput> heightmapFile;
    std::optional<RunOutput> mapFile;
    if (!options.heightmap.empty())
        heightmapFile.emplace(files, options.heightmap, size, options.tiles);
    if (!options.output.empty()) mapFile.emplace(files, options.output, size, options.tiles);

    ProgressLine progress = Progress(options);
    std::optional<HeightmapWriter> heightmapWriter;
    if (heightmapFile) heightmapWriter.emplace(*heightmapFile, progress);
    std::optional<MapPicture> picture = RunAndDraw(options, progress, heightmapWriter, report);
    std::optional<Reduction> reduction;
    if (mapFile) reduction = ReduceAndWrite(picture->image, options.colours, *mapFile, progress);
    picture.reset();
    if (heightmapWriter) heightmapWriter->Join();

    files.Commit();
    progress.Clear();

    if (heightmapWriter) {
        report.Value("heightmap_sea_level", heightmapWriter->SeaLevel());
        if (options.tiles) {
            for (const std::string& tile : heightmapFile->Names()) report.Name("heightmap", tile);
        }
    }
    if (reduction) report.Reduction(*reduction, mapFile->Names());
    report.Write();
    return 0;
}

int Reduce(const BatchOptions& options) {
    Report report = ReportFor(options);
    const std::vector<uint8_t> image = ReadBmpInput(options.input);
    OutputSet files;
    RunOutput output(files, options.output);
    ProgressLine progress = Progress(options);
    const Reduction reduction = ReduceAndWrite(image, options.colours, output, progress);
    files.Commit();
    progress.Clear();
    report.Reduction(reduction, output.Names());
    report.Write();
    return 0;
}

// Help for a reader that stopped reading (`| head`) is no failure.
int Print(const std::string& text) {
    try {
        WriteStandardStream(false, text);
    } catch (const EStreamWriteError& error) {
        if (error.error != EPIPE) throw;
    }
    return 0;
}

int Run(const BatchOptions& options) {
    switch (options.command) {
        case BatchOptions::Command::kHelp:
            return Print(BatchUsage());
        case BatchOptions::Command::kVersion:
            return Print(std::string("morvik-batch ") + MORVIK_VERSION + "\n");
        case BatchOptions::Command::kGenerate:
            return Generate(options);
        case BatchOptions::Command::kReduce:
            return Reduce(options);
    }
    return 1;
}

}  // namespace
}  // namespace morvik

int main(int argc, char** argv) {
    using namespace morvik;
    // A reader that goes away is a write error to report, like any other,
    // with the new files cleared away: not a silent end.
    std::signal(SIGPIPE, SIG_IGN);
    GuardStandardStreams();
    RemoveUnfinishedFilesOnSignals();
    BatchOptions options;
    try {
        options = ParseBatchOptions(std::vector<std::string>(argv, argv + argc));
    } catch (const EUsageError& error) {
        std::fprintf(stderr, "morvik-batch: %s\nTry 'morvik-batch --help'.\n", error.what());
        return 2;
    }
    try {
        return Run(options);
    } catch (const std::bad_alloc&) {
        return Fail("out of memory");
    } catch (const EOutOfMemory&) {
        return Fail("out of memory");
    } catch (const std::exception& error) {
        return Fail(error.what());
    }
}
