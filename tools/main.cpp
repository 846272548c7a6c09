#include <sys/resource.h>
#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <thread>
#include <vector>

#include "components/ReducedImage/BmpCrop.h"
#include "components/ReducedImage/BmpImage.h"
#include "components/ReducedImage/ColourReduction.h"
#include "components/ReducedImage/ReducedImageStore.h"
#include "platform/ToolkitErrors.h"
#include "terrain/ParallelFor.h"
#include "tools/BatchOptions.h"
#include "tools/GenerateMap.h"
#include "tools/OutputFile.h"
#include "tools/OutputFiles.h"
#include "tools/ProgressLine.h"
#include "tools/Tiles.h"

namespace morvik {
namespace {

// The error shapes: "morvik-batch: WHAT" on standard error, exit status 1.
int Fail(const char* what) {
    std::fprintf(stderr, "morvik-batch: %s\n", what);
    return 1;
}

int Fail(const QString& what) { return Fail(what.toLocal8Bit().constData()); }

// Where the report goes: standard output, unless a file is written there.
class Report {
  public:
    explicit Report(const BatchOptions& options)
        : to_(options.output == "-" || options.heightmap == "-" ? stderr : stdout) {}

    void Value(const char* key, long long value) const {
        std::fprintf(to_, "%s: %lld\n", key, value);
    }
    void Reduction(const morvik::Reduction& reduction, const std::vector<QString>& files) const {
        Value("source_colors", reduction.sourceColours);
        Value("color_count", reduction.colourCount);
        Value("levels", reduction.levels);
        for (const QString& file : files) Name("output", file);
    }
    void Name(const char* key, const QString& file) const {
        std::fprintf(to_, "%s: %s\n", key, file.toLocal8Bit().constData());
    }

  private:
    std::FILE* to_;
};

ProgressLine Progress(const BatchOptions& options) {
    return ProgressLine(!options.quiet && ProgressLine::StandardErrorIsTerminal());
}

std::string Writing(const OutputFile& file) { return "writing " + ShownName(file.Name()); }

// One output of a run: its file, or with --tiles the files of its tiles,
// each opened at once and to be committed by the caller.
class Output {
  public:
    explicit Output(const QString& name) { files_.push_back(std::make_unique<OutputFile>(name)); }
    Output(const QString& name, MapSize size, const std::optional<TileGrid>& grid) : size_(size) {
        if (!grid) {
            files_.push_back(std::make_unique<OutputFile>(name));
            return;
        }
        tiles_ = TilesOf(size, *grid);
        for (const Tile& tile : tiles_) {
            files_.push_back(std::make_unique<OutputFile>(TileName(name, tile)));
        }
    }

    // Writes the whole into the one file, or each tile's part of it, as
    // `part` cuts it from `whole`, into the tile's file: a tile that is the
    // whole map gets the whole as it is.
    template <typename Whole, typename Cut, typename Write>
    void WriteTiles(const Whole& whole, const Cut& part, const Write& write) {
        if (tiles_.empty()) {
            write(whole, *files_.front());
            return;
        }
        for (std::size_t i = 0; i < tiles_.size(); ++i) {
            if (tiles_[i].size == size_) {
                write(whole, *files_[i]);
            } else {
                write(part(whole, tiles_[i]), *files_[i]);
            }
        }
    }

    std::vector<OutputFile*> Files() const {
        std::vector<OutputFile*> files;
        for (const auto& file : files_) files.push_back(file.get());
        return files;
    }
    std::vector<QString> Names() const {
        std::vector<QString> names;
        for (const auto& file : files_) names.push_back(file->Name());
        return names;
    }

  private:
    MapSize size_{1, 1};
    std::vector<Tile> tiles_;  // none: one file, the whole map
    std::vector<std::unique_ptr<OutputFile>> files_;
};

// The reduced image's pixels within a tile.
std::vector<uint8_t> MapTile(std::span<const uint8_t> image, const Tile& tile) {
    return CropBmpImage(image, {tile.left, tile.top, tile.size.Width(), tile.size.Height()});
}

// Reduced to at most the asked colours, then written into the output's
// files, which stay to be committed.
Reduction ReduceAndWrite(std::span<const uint8_t> picture, int32_t colours, Output& output,
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

// Writes the heightmap on a thread of its own from the moment it is made,
// while the map is finished and reduced. An error waits for Join.
class HeightmapWriter {
  public:
    HeightmapWriter(Output& output, ProgressLine& progress)
        : output_(output), progress_(progress) {}

    void Start(Heightmap&& heightmap) {
        seaLevel_ = heightmap.seaLevel;
        thread_ = std::jthread([this, heightmap = std::move(heightmap)] {
            ProgressLine::Task task = progress_.Start("heightmap");
            try {
                output_.WriteTiles(heightmap, TileOf, [&](const Heightmap& map, OutputFile& file) {
                    task.Show(Writing(file));
                    WriteHeightmap(map, file,
                                   [&](double share) { task.Show(Writing(file), share); });
                    file.Finish();
                });
            } catch (...) {
                error_ = std::current_exception();
            }
        });
    }

    // Once the file is written in full; throws what stopped it.
    void Join() {
        if (thread_.joinable()) thread_.join();
        if (error_) std::rethrow_exception(error_);
    }

    uint16_t SeaLevel() const { return seaLevel_; }

  private:
    Output& output_;
    ProgressLine& progress_;
    uint16_t seaLevel_ = 0;
    std::exception_ptr error_;
    std::jthread thread_;  // last: joined before the rest goes
};

void PrintReport(const Report& report, uint32_t tick, const GeneratedMap& map) {
    report.Value("tick", tick);
    report.Value("total_iterations", map.job.TotalIterations);
    report.Value("sea_target", map.job.SeaTarget);
    report.Value("lowering_passes", map.loweringPasses);
    report.Value("sea_cells", map.seaCells);
    report.Value("highest", map.extremes.highest);
    report.Value("lowest", map.extremes.lowest);
}

// Room for this many files open at once, with some to spare: the soft limit
// raised as far as the hard one allows, or an error that says so.
void MakeRoomForFiles(int64_t files) {
    constexpr rlim_t kSpare = 64;
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
    const rlim_t wanted = static_cast<rlim_t>(files) + kSpare;
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted) {
        limit.rlim_cur =
            limit.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, limit.rlim_max);
        setrlimit(RLIMIT_NOFILE, &limit);
        getrlimit(RLIMIT_NOFILE, &limit);
    }
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted) {
        throw std::runtime_error(
            "the tiles are " + std::to_string(files) +
            " files, all held open until every one is written, and this system lets the tool "
            "hold " +
            std::to_string(limit.rlim_cur - std::min(limit.rlim_cur, kSpare)) +
            " (ulimit -n): ask for fewer tiles");
    }
}

// Every file is opened before the run, so that one that cannot be written
// is known at once, and each is written in full before any takes its
// file's place.
int Generate(const BatchOptions& options) {
    const MapSize size(options.width, options.height);
    const uint32_t tick = options.tick.value_or(SystemTickSource().Ticks());
    WarnOfASmallTick(tick, size);
    if (options.tiles) {
        const int outputs =
            (options.heightmap.isEmpty() ? 0 : 1) + (options.output.isEmpty() ? 0 : 1);
        MakeRoomForFiles(int64_t{options.tiles->across} * options.tiles->down * outputs);
    }
    std::optional<Output> heightmapFile;
    std::optional<Output> mapFile;
    if (!options.heightmap.isEmpty()) heightmapFile.emplace(options.heightmap, size, options.tiles);
    if (!options.output.isEmpty()) mapFile.emplace(options.output, size, options.tiles);

    ProgressLine progress = Progress(options);
    std::optional<HeightmapWriter> heightmapWriter;
    std::optional<ProgressLine::Task> run(progress.Start("circles"));
    MapRequest request{
        .size = size,
        .roughness = options.roughness,
        .seaShare = options.seaShare,
        .tick = tick,
        .coastline = options.view == BatchOptions::View::kCoastline,
        .threads = MachineThreads(),
        .iterations =
            [&](const GenerationJob& job) {
                if (job.IterationsDone < job.TotalIterations) {
                    run->Show("circles",
                              static_cast<double>(job.IterationsDone) / job.TotalIterations);
                } else {
                    run->Show(options.erosion ? "erosion" : heightmapFile ? "heightmap" : "finish");
                }
            },
        .erosion = options.erosion,
        .erosionProgress = [&](double share) { run->Show("erosion", share); },
        .wrap = options.wrap,
    };
    if (heightmapFile) {
        heightmapWriter.emplace(*heightmapFile, progress);
        request.heightmap = [&](Heightmap&& heightmap) {
            run->Show("finish");
            heightmapWriter->Start(std::move(heightmap));
        };
    }
    GeneratedMap map = GenerateMap(request);
    run.reset();
    std::optional<Reduction> reduction;
    if (mapFile) {
        reduction = ReduceAndWrite(map.picture, options.colours, *mapFile, progress);
    }
    map.picture = {};
    if (heightmapWriter) heightmapWriter->Join();

    std::vector<OutputFile*> files;
    for (const std::optional<Output>* output : {&heightmapFile, &mapFile}) {
        if (!*output) continue;
        for (OutputFile* file : (*output)->Files()) files.push_back(file);
    }
    CommitTogether(files);
    progress.Clear();

    const Report report(options);
    PrintReport(report, tick, map);
    if (heightmapWriter) {
        report.Value("heightmap_sea_level", heightmapWriter->SeaLevel());
        if (options.tiles) {
            for (const QString& tile : heightmapFile->Names()) report.Name("heightmap", tile);
        }
    }
    if (reduction) report.Reduction(*reduction, mapFile->Names());
    return 0;
}

int Reduce(const BatchOptions& options) {
    QFile input(options.input);
    if (!input.open(QIODevice::ReadOnly)) {
        return Fail("cannot read " + options.input + ": " + input.errorString());
    }
    ReducedImageStore store;
    try {
        if (!store.LoadFromStream(input)) {
            return Fail(options.input + " is not an uncompressed BMP file this program can read");
        }
    } catch (const EReadError&) {
        return Fail("cannot read " + options.input + ": " + input.errorString());
    }
    const BmpHeader header = ReadBmpHeader(store.Bytes());
    // A top-down file gives a negative height.
    const int64_t width = header.biWidth;
    const int64_t height = std::abs(int64_t{header.biHeight});
    if (width > MapSize::kLargestSide || height > MapSize::kLargestSide) {
        return Fail(QString("%1 is %2 x %3 pixels; this program reduces pictures up to %4 x %4")
                        .arg(options.input)
                        .arg(width)
                        .arg(height)
                        .arg(MapSize::kLargestSide));
    }
    const int32_t bits = header.biBitCount;
    if (!HasDecoding(bits)) {
        return Fail(options.input + " has " + QString::number(bits) +
                    "-bit pixels, which this program cannot decode");
    }
    Output output(options.output);
    ProgressLine progress = Progress(options);
    const Reduction reduction = ReduceAndWrite(store.Bytes(), options.colours, output, progress);
    CommitTogether(output.Files());
    progress.Clear();
    Report(options).Reduction(reduction, output.Names());
    return 0;
}

int Run(const BatchOptions& options) {
    switch (options.command) {
        case BatchOptions::Command::kHelp:
            std::fputs(BatchUsage().c_str(), stdout);
            return 0;
        case BatchOptions::Command::kVersion:
            std::printf("morvik-batch %s\n", MORVIK_VERSION);
            return 0;
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
    RemoveUnfinishedFilesOnSignals();
    const QCoreApplication application(argc, argv);
    BatchOptions options;
    try {
        options = ParseBatchOptions(QCoreApplication::arguments());
    } catch (const EUsageError& error) {
        std::fprintf(stderr, "morvik-batch: %s\nTry 'morvik-batch --help'.\n", error.what());
        return 2;
    }
    try {
        return Run(options);
    } catch (const EOutputError& error) {
        return Fail(error.what());
    } catch (const std::bad_alloc&) {
        return Fail("out of memory");
    } catch (const EOutOfMemory&) {
        return Fail("out of memory");
    } catch (const EStreamError&) {
        return Fail("out of memory");
    } catch (const std::exception& error) {
        return Fail(error.what());
    }
}
