#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <utility>

#include "components/ReducedImage/BmpImage.h"
#include "components/ReducedImage/ReducedImageStore.h"
#include "terrain/ParallelFor.h"
#include "tools/BatchOptions.h"
#include "tools/GenerateMap.h"
#include "tools/OutputFiles.h"

namespace morvik {
namespace {

void PrintValue(const char* key, long long value) { std::printf("%s: %lld\n", key, value); }

// What failed, and the message of the part that failed, quoted.
int Fail(const QString& what, const std::exception& error) {
    std::fprintf(stderr, "morvik-batch: %s: \"%s\"\n", what.toLocal8Bit().constData(),
                 error.what());
    return 1;
}

int Fail(const QString& what) {
    std::fprintf(stderr, "morvik-batch: %s\n", what.toLocal8Bit().constData());
    return 1;
}

// Reduces the store's picture and saves it, as a PNG file for a .png name;
// a failure is reported.
int ReduceAndSave(ReducedImageStore& store, const BatchOptions& options) {
    try {
        store.ReduceColors(options.colours);
    } catch (const std::exception& error) {
        return Fail("cannot reduce the picture", error);
    }
    try {
        if (IsPngName(options.output)) {
            SavePngPicture(store, options.output);
        } else {
            store.SaveToFile(options.output);
        }
    } catch (const std::exception& error) {
        return Fail("cannot write " + options.output, error);
    }
    return 0;
}

void PrintReduction(const ReducedImageStore& store, const BatchOptions& options) {
    PrintValue("source_colors", store.SourceColors());
    PrintValue("color_count", store.ColorCount());
    PrintValue("levels", store.Levels());
    std::printf("output: %s\n", options.output.toLocal8Bit().constData());
}

// Reports only once the files are written, so that a failed run prints no
// half report. The heightmap goes first, and its memory with it.
int Generate(const BatchOptions& options) {
    const MapRequest request{
        .size = MapSize(options.width, options.height),
        .roughness = options.roughness,
        .seaShare = options.seaShare,
        .tick = options.tick.value_or(SystemTickSource().Ticks()),
        .coastline = options.view == BatchOptions::View::kCoastline,
        .heightmap = !options.heightmap.isEmpty(),
        .threads = MachineThreads(),
    };
    GeneratedMap map = GenerateMap(request);
    std::optional<uint16_t> heightmapSeaLevel;
    if (map.heightmap) {
        try {
            SaveHeightmap(*map.heightmap, options.heightmap);
        } catch (const std::exception& error) {
            return Fail("cannot write the heightmap", error);
        }
        heightmapSeaLevel = map.heightmap->seaLevel;
        map.heightmap.reset();
    }
    ReducedImageStore store;
    if (!options.output.isEmpty()) {
        try {
            LoadMap(store, std::exchange(map.picture, QImage()));
        } catch (const std::exception& error) {
            return Fail("cannot make the map's bitmap", error);
        }
        if (ReduceAndSave(store, options) != 0) return 1;
    }
    PrintValue("tick", request.tick);
    PrintValue("total_iterations", map.job.TotalIterations);
    PrintValue("sea_target", map.job.SeaTarget);
    PrintValue("lowering_passes", map.loweringPasses);
    PrintValue("sea_cells", map.seaCells);
    PrintValue("highest", map.extremes.highest);
    PrintValue("lowest", map.extremes.lowest);
    if (heightmapSeaLevel) PrintValue("heightmap_sea_level", *heightmapSeaLevel);
    if (!options.output.isEmpty()) PrintReduction(store, options);
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
    } catch (const std::exception& error) {
        return Fail("cannot read " + options.input, error);
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
    if (ReduceAndSave(store, options) != 0) return 1;
    PrintReduction(store, options);
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
    } catch (const std::exception& error) {
        return Fail("failed", error);
    }
}
