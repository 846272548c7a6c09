#include <QFile>
#include <cstdio>
#include <exception>

#include "components/ReducedImage/ReducedImageStore.h"
#include "tools/BatchOptions.h"
#include "tools/GenerateMap.h"

namespace morvik {
namespace {

void PrintValue(const char* key, long long value) { std::printf("%s: %lld\n", key, value); }

// Reduces the store's picture, saves it and reports how.
void ReduceAndSave(ReducedImageStore& store, const BatchOptions& options) {
    store.ReduceColors(options.colors);
    store.SaveToFile(options.output);
    PrintValue("source_colors", store.SourceColors());
    PrintValue("color_count", store.ColorCount());
    PrintValue("levels", store.Levels());
    std::printf("output: %s\n", options.output.toLocal8Bit().constData());
}

int Generate(const BatchOptions& options) {
    const GeneratedMap map = GenerateMap(options);
    ReducedImageStore store;
    store.LoadFromBitmap(map.picture);
    PrintValue("total_iterations", map.job.TotalIterations);
    PrintValue("sea_target", map.job.SeaTarget);
    PrintValue("lowering_passes", map.loweringPasses);
    PrintValue("sea_cells", map.seaCells);
    PrintValue("highest", map.extremes.Highest);
    PrintValue("lowest", map.extremes.Lowest);
    ReduceAndSave(store, options);
    return 0;
}

int Reduce(const BatchOptions& options) {
    const QByteArray name = options.input.toLocal8Bit();
    QFile input(options.input);
    if (!input.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "morvik-batch: cannot read %s: %s\n", name.constData(),
                     input.errorString().toLocal8Bit().constData());
        return 1;
    }
    ReducedImageStore store;
    if (!store.LoadFromStream(input)) {
        std::fprintf(stderr, "morvik-batch: %s is not a BMP file this program can read\n",
                     name.constData());
        return 1;
    }
    ReduceAndSave(store, options);
    return 0;
}

}  // namespace
}  // namespace morvik

int main(int argc, char** argv) {
    using namespace morvik;
    BatchOptions options;
    try {
        options = ParseBatchOptions(argc - 1, argv + 1);
    } catch (const EUsageError& error) {
        std::fprintf(stderr, "morvik-batch: %s\n\n%s", error.what(), kBatchUsage);
        return 2;
    }
    try {
        switch (options.command) {
            case BatchOptions::Command::Help:
                std::fputs(kBatchUsage, stdout);
                return 0;
            case BatchOptions::Command::Generate:
                return Generate(options);
            case BatchOptions::Command::Reduce:
                return Reduce(options);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "morvik-batch: %s\n", error.what());
    }
    return 1;
}
