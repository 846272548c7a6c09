#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "components/ReducedImage/BmpCrop.h"
#include "components/ReducedImage/ColourReduction.h"
#include "layers/WaterCells.h"
#include "platform/ToolkitErrors.h"
#include "run/EnginePack.h"
#include "run/MapRun.h"
#include "tools/BatchOptions.h"
#include "tools/BmpInput.h"
#include "tools/HeightmapInput.h"
#include "tools/LayerFiles.h"
#include "tools/OutputFile.h"
#include "tools/OutputFiles.h"
#include "tools/OutputSet.h"
#include "tools/PackFolder.h"
#include "tools/ProgressLine.h"
#include "tools/Report.h"
#include "tools/RunOutput.h"
#include "tools/ThreadCount.h"
#include "tools/TickWarning.h"
#include "tools/Tiles.h"
#include "tools/ToolProcess.h"

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
    const std::vector<std::string> files = options.Files();
    return Report(std::any_of(files.begin(), files.end(), IsStandardOutput));
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

// Every file a run's layers give, opened in the set and handed to the
// writer, each named for the report under its key.
using NamedFiles = std::vector<std::pair<const char*, std::vector<std::string>>>;
NamedFiles AddLayerOutputs(const BatchOptions& options, MapSize size, OutputSet& files,
                           LayerFiles& writer) {
    NamedFiles named;
    for (const BatchOptions::LayerOutput& layer : options.LayerOutputs()) {
        RunOutput output(files, layer.name, size, options.tiles);
        named.emplace_back(layer.key, output.Names());
        writer.Add(std::move(output), layer.kind);
    }
    return named;
}

// The run's steps, each on the progress line, its layers (or only its
// heightmap) handed to the writer as soon as they are made, with the water
// where masks or rivers want it (for the writer to read till it is
// joined), and its picture in the asked view when a map is asked for; the
// report told the run's keys. The run's grids are gone once it returns,
// before the picture is reduced, while the writer goes on.
struct RunResult {
    std::optional<MapPicture> picture;
    std::optional<uint16_t> seaLevel;  // the heightmap's, where one was made
};
RunResult RunAndDraw(const BatchOptions& options, std::unique_ptr<MapRun> run,
                     ProgressLine& progress, LayerFiles& writer, bool wantsHeightmap,
                     ZeroedVector<uint8_t>& water, Report& report) {
    ProgressLine::Task task = progress.Start(StepName(run->Step()));
    const bool wantsLayers = writer.NeedsLayers() || options.rivers;
    if (wantsLayers) run->KeepLayers();
    RunResult result;
    run->Complete(
        [&](RunStep step, double share) {
            if (step == RunStep::kCircles || step == RunStep::kErosion) {
                task.Show(StepName(step), share);
            } else {
                task.Show(StepName(step));
            }
        },
        [&] {
            if (!wantsLayers && !wantsHeightmap) return;
            task.Show(wantsLayers ? "layers" : "heightmap");
            LandLayers layers = wantsLayers ? run->MakeLayers()
                                            : LandLayers{.heightmap = run->MakeHeightmap(),
                                                         .wrap = run->Settings().wrap};
            if (writer.NeedsWater() || options.rivers) {
                TraceWater(layers, MachineThreads());
                water = WaterCells(layers, layers.Size());
            }
            result.seaLevel = layers.heightmap.seaLevel;
            writer.Start(std::move(layers), water);
        });
    if (!options.output.empty()) {
        result.picture = run->Picture(options.view, options.rivers ? std::span<const uint8_t>(water)
                                                                   : std::span<const uint8_t>());
    }
    report.Figures(*run, options.command == BatchOptions::Command::kGenerate,
                   result.picture ? result.picture->extremes : run->Extremes());
    return result;
}

// Writes every file of a run into one set, and commits it: each file is
// opened before the run, so that one that cannot be written is known at
// once, and each is written in full before any takes its file's place.
int WriteRun(const BatchOptions& options, std::unique_ptr<MapRun> run, Report& report) {
    const MapSize size = run->Size();
    if (options.tiles) {
        const auto files = static_cast<int64_t>(options.Files().size());
        MakeRoomForFiles(int64_t{options.tiles->across} * options.tiles->down * files);
    }
    PackFolder folder(options.pack);
    OutputSet files;
    ProgressLine progress = Progress(options);
    ZeroedVector<uint8_t> water;  // outlives the writer, which reads it
    LayerFiles writer(progress, options.scale, MachineThreads());
    const NamedFiles named = AddLayerOutputs(options, size, files, writer);
    std::optional<RunOutput> mapFile;
    if (!options.output.empty()) mapFile.emplace(files, options.output, size, options.tiles);
    OutputFile* readme =
        options.preset ? &files.Open(PackFileName(options.pack, "README.txt")) : nullptr;
    OutputFile* json = options.json.empty() ? nullptr : &files.Open(options.json);

    RunResult result =
        RunAndDraw(options, std::move(run), progress, writer,
                   !writer.Empty() || readme != nullptr || json != nullptr, water, report);
    std::optional<Reduction> reduction;
    if (mapFile) {
        reduction = ReduceAndWrite(result.picture->image, options.colours, *mapFile, progress);
    }
    result.picture.reset();
    writer.Join();

    // Rivers alone make no heightmap of their own to tell of.
    if (!writer.Empty() || readme || json) report.Value("heightmap_sea_level", *result.seaLevel);
    for (const auto& [key, names] : named) {
        for (const std::string& name : names) report.Name(key, name);
    }
    if (reduction) report.Reduction(*reduction, mapFile->Names());
    if (readme) {
        const std::string text =
            PackReadme(*options.preset, size, options.tiles, options.scale, *result.seaLevel);
        WriteText(text, *readme);
    }
    if (json) {
        std::vector<std::string> written;
        for (const auto& [key, names] : named) {
            for (const std::string& name : names) written.push_back(name);
        }
        if (mapFile) {
            for (const std::string& name : mapFile->Names()) written.push_back(name);
        }
        if (readme) written.push_back(readme->Name());
        WriteText(report.Json(options.scale, *result.seaLevel, written), *json);
    }
    files.Commit();
    folder.Keep();
    progress.Clear();
    report.Write();
    return 0;
}

int Generate(const BatchOptions& options) {
    // Asked before any file takes its place: a file that is standard output
    // now may be replaced by then.
    Report report = ReportFor(options);
    WarnOfASmallTick("morvik-batch", options.run.tick, options.run.World());
    return WriteRun(options, std::make_unique<MapRun>(options.run, MachineThreads()), report);
}

// The reader an input's ending asks for.
HeightmapInput ReadHeightmapInput(const BatchOptions& options) {
    const std::string& name = options.input;
    if (IsRawHeightmapName(name))
        return ReadR16Heightmap(name, *options.inputWidth, *options.inputHeight);
    if (IsExrName(name)) return ReadExrHeightmap(name);
    return ReadPngHeightmap(name);
}

// The input read, the run sized to it, and its tiles and pack checked
// against it; then written as generate's.
int Erode(BatchOptions options) {
    Report report = ReportFor(options);
    std::unique_ptr<MapRun> run;
    {
        const HeightmapInput input = ReadHeightmapInput(options);
        options.run.width = input.width;
        options.run.height = input.height;
        FitToInput(options);
        run =
            std::make_unique<MapRun>(options.run, input.values, options.seaLevel, MachineThreads());
    }
    return WriteRun(options, std::move(run), report);
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
        case BatchOptions::Command::kErode:
            return Erode(options);
        case BatchOptions::Command::kReduce:
            return Reduce(options);
    }
    return 1;
}

}  // namespace
}  // namespace morvik

int main(int argc, char** argv) {
    using namespace morvik;
    PrepareToolProcess();
    BatchOptions options;
    try {
        options = ParseBatchOptions(std::vector<std::string>(argv, argv + argc));
    } catch (const EUsageError& error) {
        std::fprintf(stderr, "morvik-batch: %s\nTry 'morvik-batch --help'.\n", error.what());
        return 2;
    }
    try {
        return Run(options);
    } catch (const EUsageError& error) {
        // Found wrong only once the input was read.
        std::fprintf(stderr, "morvik-batch: %s\nTry 'morvik-batch --help'.\n", error.what());
        return 2;
    } catch (const std::bad_alloc&) {
        return Fail("out of memory");
    } catch (const EOutOfMemory&) {
        return Fail("out of memory");
    } catch (const std::exception& error) {
        return Fail(error.what());
    }
}
