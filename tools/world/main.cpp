// morvik-world: the batch tool's generate for worlds, its tiles shared
// between the ranks of an MPI run, each tile the bytes a whole-map build
// writes there.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "run/EnginePack.h"
#include "terrain/SeaLevel.h"
#include "tools/BatchOptions.h"
#include "tools/OutputFiles.h"
#include "tools/OutputSet.h"
#include "tools/PackFolder.h"
#include "tools/Report.h"
#include "tools/TickWarning.h"
#include "tools/Tiles.h"
#include "tools/ToolProcess.h"
#include "tools/world/RankGroup.h"
#include "tools/world/RankLand.h"
#include "tools/world/RankLayers.h"
#include "tools/world/RankShare.h"
#include "tools/world/WorldMosaic.h"
#include "tools/world/WorldNumbers.h"
#include "tools/world/WorldTileFiles.h"
#include "world/WorldCircles.h"

namespace morvik {
namespace {

// What this version builds of generate's options; the rest are refused, not
// ignored.
void RequireBuilt(const BatchOptions& options) {
    if (options.command != BatchOptions::Command::kGenerate) {
        throw EUsageError("morvik-world takes generate and its options");
    }
    if (options.Files().empty()) throw EUsageError("morvik-world has no file to write");
    // A rank holds its tiles whole, with the cells around them its files
    // look at.
    const WorldSize world = options.run.World();
    const TileGrid grid = options.tiles.value_or(TileGrid{});
    const int64_t width = (world.Width() - 1) / grid.across + 1;
    const int64_t height = (world.Height() - 1) / grid.down + 1;
    const int32_t ring = HoldsWindows(options) ? WindowRing(options) : LooksAround(options) ? 1 : 0;
    const int32_t largest = MapSize::kLargestSide - 2 * ring;
    if (width > largest || height > largest) {
        throw EUsageError("a tile of " + std::to_string(width) + " x " + std::to_string(height) +
                          " is more than a rank holds with the cells around it that its files "
                          "look at, " +
                          std::to_string(largest) + " a side: ask for more --tiles");
    }
}

// A world's tiles, or the world as its one tile.
std::vector<Tile> WorldTiles(const BatchOptions& options) {
    const WorldSize size = options.run.World();
    if (options.tiles) return TilesOf(size, *options.tiles);
    return {{0, 0, 0, 0, MapSize(size.Width(), size.Height())}};
}

// Runs a step on every rank; if it failed on any, the lowest rank it
// failed on says why and every rank stops with status 1.
class Steps {
  public:
    explicit Steps(const RankGroup& ranks) : ranks_(ranks) {}

    bool Take(const std::function<void()>& step) const {
        std::string failure;
        try {
            step();
        } catch (const std::exception& error) {
            failure = error.what();
        }
        int64_t first = failure.empty() ? ranks_.Ranks() : ranks_.Rank();
        ranks_.Least(std::span(&first, 1));
        if (first == ranks_.Ranks()) return true;
        if (first == ranks_.Rank()) std::fprintf(stderr, "morvik-world: %s\n", failure.c_str());
        return false;
    }

  private:
    const RankGroup& ranks_;
};

// What the world's run tells, as the batch tool tells of its tiles, and
// its mosaic.
Report WorldReport(const BatchOptions& options, const std::vector<Tile>& tiles,
                   const WorldNumbers& numbers, const Reduction& reduction,
                   const OutputFile* mosaic) {
    const RunSettings& settings = options.run;
    const std::vector<std::string> outputs = options.Files();
    Report report(std::find(outputs.begin(), outputs.end(), "-") != outputs.end());
    report.Value("tick", settings.tick);
    report.Value("total_iterations", CircleCount(settings.roughness, settings.World()));
    report.Value("sea_target", settings.seaShare * 100);
    report.Value("lowering_passes", numbers.finish.passes);
    report.Value("sea_cells", numbers.seaCells);
    report.Value("highest", numbers.finished.highest);
    report.Value("lowest", numbers.finished.lowest);
    const std::vector<BatchOptions::LayerOutput> layers = options.LayerOutputs();
    if (!layers.empty() || !options.json.empty()) {
        report.Value("heightmap_sea_level", numbers.values.seaLevel);
    }
    for (const BatchOptions::LayerOutput& layer : layers) {
        for (const Tile& tile : tiles) report.Name(layer.key, TileFile(options, layer.name, tile));
    }
    if (!options.output.empty()) {
        std::vector<std::string> names;
        for (const Tile& tile : tiles) names.push_back(TileFile(options, options.output, tile));
        report.Reduction(reduction, names);
    }
    if (mosaic) report.Name("mosaic", mosaic->Name());
    return report;
}

// The report as JSON, naming every file of the world.
std::string WorldJson(const BatchOptions& options, const Report& report,
                      const WorldNumbers& numbers, const std::vector<Tile>& tiles,
                      const RankShare& share) {
    std::vector<std::string> written;
    std::vector<std::string> names;
    for (const BatchOptions::LayerOutput& layer : options.LayerOutputs())
        names.push_back(layer.name);
    if (!options.output.empty()) names.push_back(options.output);
    for (const std::string& name : names) {
        for (const Tile& tile : tiles) written.push_back(TileFile(options, name, tile));
    }
    if (share.readme) written.push_back(share.readme->Name());
    if (share.mosaic) written.push_back(share.mosaic->Name());
    return report.Json(options.scale, numbers.values.seaLevel, written);
}

// The world's files, written by every rank and put in place as one set.
int WriteWorld(const BatchOptions& options, const RankGroup& ranks, const Steps& steps) {
    const RunSettings& settings = options.run;
    const std::vector<Tile> tiles = WorldTiles(options);
    RankShare share;
    for (std::size_t i = static_cast<std::size_t>(ranks.Rank()); i < tiles.size();
         i += static_cast<std::size_t>(ranks.Ranks())) {
        share.tiles.push_back(&tiles[i]);
    }
    OutputSet files;
    if (!steps.Take([&] {
            OpenFiles(options, ranks, files, share);
            MakeHeights(options, share);
        })) {
        return 1;
    }
    RankLand land;
    if (HoldsWindows(options)) land = MakeRankLand(options, ranks, share);
    const WorldNumbers numbers = AgreeOnNumbers(options, ranks, share, land);
    std::optional<RankLayers> layered;
    if (land.parts) layered = MakeRankLayers(options, ranks, share, land, numbers);
    const RankLayers* windowLayers = layered ? &*layered : nullptr;
    const bool layers = steps.Take([&] {
        for (std::size_t i = 0; i < share.tiles.size() && !share.layers.empty(); ++i) {
            WriteTileLayers(options, share, i, numbers, windowLayers);
        }
        if (share.mosaic) {
            WriteText(HeightmapMosaic(options.heightmap, settings.World(), tiles), *share.mosaic);
        }
    });
    if (!layers) return 1;
    ReducedMaps maps;
    if (!options.output.empty()) {
        maps = ReduceMaps(options, ranks, share, numbers, land, windowLayers);
        if (!steps.Take([&] { WriteMaps(options, share, maps); })) return 1;
    }
    std::optional<Report> report;
    if (!steps.Take([&] {
            if (ranks.Rank() != 0) return;
            report.emplace(WorldReport(options, tiles, numbers, maps.reduction, share.mosaic));
            if (share.readme) {
                WriteText(PackReadme(*options.preset, settings.World(), options.tiles,
                                     options.scale, numbers.values.seaLevel),
                          *share.readme);
            }
            if (share.json) {
                WriteText(WorldJson(options, *report, numbers, tiles, share), *share.json);
            }
        }) ||
        !steps.Take([&] { files.Commit(); })) {
        return 1;
    }
    if (report) report->Write();
    return 0;
}

int BuildWorld(const BatchOptions& options, const RankGroup& ranks) {
    const Steps steps(ranks);
    // A pack's folder is the first rank's to make before any rank opens a
    // file in it, and to remove, unless the world is done, once every rank
    // has removed its own files from it.
    std::optional<PackFolder> folder;
    if (!steps.Take([&] {
            if (ranks.Rank() == 0) folder.emplace(options.pack);
        })) {
        return 1;
    }
    const int status = WriteWorld(options, ranks, steps);
    ranks.All(true);
    if (status == 0 && folder) folder->Keep();
    return status;
}

}  // namespace
}  // namespace morvik

int main(int argc, char** argv) {
    using namespace morvik;
    PrepareToolProcess();
    const RankGroup ranks(&argc, &argv);
    BatchOptions options;
    try {
        options = ParseBatchOptions(std::vector<std::string>(argv, argv + argc), WorldLimits());
        if (options.command == BatchOptions::Command::kHelp) {
            if (ranks.Rank() == 0) {
                std::printf(
                    "usage: mpirun -n K morvik-world generate [--width N] [--height N]\n"
                    "                                   [--tiles NxM] [--erode [N]] [-o FILE]\n"
                    "                                   [--heightmap FILE] ...\n"
                    "\n"
                    "The batch tool's generate (morvik-batch --help: every option, every\n"
                    "file) for worlds of up to %d x %d cells, in tiles of up to\n"
                    "%d x %d with the cells around them that their files and the erosion\n"
                    "look at, shared between the K processes of an MPI run, one a core:\n"
                    "every tile is the one morvik-batch writes for the same world, and PNG\n"
                    "heightmap tiles get a GDAL mosaic beside them (BASE.vrt).\n",
                    WorldSize::kLargestSide, WorldSize::kLargestSide, MapSize::kLargestSide,
                    MapSize::kLargestSide);
            }
            return 0;
        }
        if (options.command == BatchOptions::Command::kVersion) {
            if (ranks.Rank() == 0) std::printf("morvik-world %s\n", MORVIK_VERSION);
            return 0;
        }
        RequireBuilt(options);
    } catch (const EUsageError& error) {
        if (ranks.Rank() == 0) {
            std::fprintf(stderr, "morvik-world: %s\nTry 'morvik-world --help'.\n", error.what());
        }
        return 2;
    }
    // One clock for the world: the first rank's, where --tick leaves it to it.
    options.run.tick = static_cast<uint32_t>(ranks.FromFirst(options.run.tick));
    if (ranks.Rank() == 0) WarnOfASmallTick("morvik-world", options.run.tick, options.run.World());
    return BuildWorld(options, ranks);
}
