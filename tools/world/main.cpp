// morvik-world: the batch tool's generate for worlds, its tiles shared
// between the ranks of an MPI run, each tile the bytes a whole-map build
// writes there.
#include <climits>
#include <cstdio>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "terrain/Heightmap.h"
#include "terrain/SeaLevel.h"
#include "tools/BatchOptions.h"
#include "tools/OutputFiles.h"
#include "tools/OutputSet.h"
#include "tools/Report.h"
#include "tools/Tiles.h"
#include "tools/ToolProcess.h"
#include "tools/world/RankGroup.h"
#include "tools/world/WorldMosaic.h"
#include "world/WorldCircles.h"
#include "world/WorldTile.h"

namespace morvik {
namespace {

// What this version builds of generate's options; the rest are refused, not
// ignored.
void RequireBuilt(const BatchOptions& options) {
    if (options.command != BatchOptions::Command::kGenerate) {
        throw EUsageError("morvik-world takes generate and its options");
    }
    const bool others = !options.output.empty() || !options.normal.empty() ||
                        !options.flow.empty() || !options.masks.empty() || !options.json.empty() ||
                        options.preset || options.run.erosion;
    if (others || options.heightmap.empty()) {
        throw EUsageError(
            "morvik-world writes --heightmap tiles of plain land so far; -o, --erode and the "
            "engine files are the batch tool's");
    }
    // A rank holds its tiles whole.
    const WorldSize world = options.run.World();
    const TileGrid grid = options.tiles.value_or(TileGrid{});
    const int64_t width = (world.Width() - 1) / grid.across + 1;
    const int64_t height = (world.Height() - 1) / grid.down + 1;
    if (width > MapSize::kLargestSide || height > MapSize::kLargestSide) {
        throw EUsageError("a tile of " + std::to_string(width) + " x " + std::to_string(height) +
                          " is more than a rank holds, " + std::to_string(MapSize::kLargestSide) +
                          " a side: ask for more --tiles");
    }
}

// A world's tiles, or the world as its one tile.
std::vector<Tile> WorldTiles(const BatchOptions& options) {
    const WorldSize size = options.run.World();
    if (options.tiles) return TilesOf(size, *options.tiles);
    return {{0, 0, 0, 0, MapSize(size.Width(), size.Height())}};
}

// The file a tile of the heightmap goes to: the name given, for a world in
// one piece.
std::string TileFile(const BatchOptions& options, const Tile& tile) {
    return options.tiles ? TileName(options.heightmap, tile) : options.heightmap;
}

// The part of a tile no other tile holds: all but the edges it shares with
// the next tile across and the next down.
MapSize OwnedPart(const Tile& tile, const BatchOptions& options) {
    const TileGrid grid = options.tiles.value_or(TileGrid{});
    return MapSize(tile.size.Width() - (tile.column + 1 < grid.across ? 1 : 0),
                   tile.size.Height() - (tile.row + 1 < grid.down ? 1 : 0));
}

// Runs a step on every rank; if it failed on any, the lowest rank it
// failed on says why and every rank stops with status 1.
class Steps {
  public:
    explicit Steps(const RankGroup& ranks) : ranks_(ranks) {}

    bool Take(const std::function<void()>& step) {
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

int BuildWorld(const BatchOptions& options, const RankGroup& ranks) {
    const RunSettings& settings = options.run;
    const WorldSize size = settings.World();
    const std::vector<Tile> tiles = WorldTiles(options);
    std::vector<const Tile*> own;
    for (std::size_t i = static_cast<std::size_t>(ranks.Rank()); i < tiles.size();
         i += static_cast<std::size_t>(ranks.Ranks())) {
        own.push_back(&tiles[i]);
    }
    Steps steps(ranks);
    OutputSet files;
    std::vector<OutputFile*> tileFiles;
    OutputFile* mosaic = nullptr;
    std::vector<CellGrid> heights;
    HeightExtremes extremes{.highest = INT32_MIN, .lowest = INT32_MAX};
    // Every file is opened before the work, so one that cannot be written is
    // known at once.
    const bool opened = steps.Take([&] {
        for (const Tile* tile : own) {
            tileFiles.push_back(&files.Open(TileFile(options, *tile)));
        }
        // GDAL reads PNG tiles; raw ones carry no size for it to place them by.
        if (ranks.Rank() == 0 && options.tiles && IsPngName(options.heightmap)) {
            mosaic = &files.Open(MosaicName(options.heightmap));
        }
        std::vector<WorldRegion> regions;
        for (const Tile* tile : own) regions.push_back({tile->left, tile->top, tile->size});
        heights = RegionHeights(settings, regions);
        for (std::size_t i = 0; i < own.size(); ++i) {
            const HeightExtremes held = FindExtremes(heights[i], own[i]->size);
            extremes = Widened(extremes, held.highest, held.lowest);
        }
    });
    if (!opened) return 1;

    std::vector<int64_t> least{extremes.lowest};
    std::vector<int64_t> most{extremes.highest};
    ranks.Least(least);
    ranks.Most(most);
    extremes = {.highest = static_cast<int32_t>(most[0]), .lowest = static_cast<int32_t>(least[0])};
    RescaledCounts cellsAt{};
    std::vector<uint8_t> occurs(
        static_cast<std::size_t>(int64_t{extremes.highest} - extremes.lowest + 1), 0);
    for (std::size_t i = 0; i < own.size(); ++i) {
        const MapSize owned = OwnedPart(*own[i], options);
        const RescaledCounts held = CountRescaled(heights[i], owned, extremes);
        for (std::size_t level = 0; level < cellsAt.size(); ++level) cellsAt[level] += held[level];
        const std::vector<uint8_t> present = OccurringHeights(heights[i], owned, extremes);
        for (std::size_t slot = 0; slot < occurs.size(); ++slot) occurs[slot] |= present[slot];
    }
    ranks.Sum(cellsAt);
    ranks.Most(occurs);
    int64_t seaCells = 0;
    const int32_t seaTarget = settings.seaShare * 100;
    const int32_t passes =
        LoweringPasses(cellsAt, size, seaTarget, [&](int64_t cells) { seaCells = cells; });
    const HeightValues values = ValuesOfHeights(occurs, extremes, HighestSeaOf(extremes, passes));

    const bool written = steps.Take([&] {
        for (std::size_t i = 0; i < own.size(); ++i) {
            WriteHeightmap(HeightmapOf(heights[i], own[i]->size, values), *tileFiles[i]);
            tileFiles[i]->Finish();
        }
        if (mosaic) {
            const std::string text = HeightmapMosaic(options.heightmap, size, tiles);
            mosaic->Write({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
            mosaic->Finish();
        }
    });
    if (!written || !steps.Take([&] { files.Commit(); })) return 1;
    if (ranks.Rank() != 0) return 0;

    Report report(IsStandardOutput(options.heightmap));
    report.Value("tick", settings.tick);
    report.Value("total_iterations", CircleCount(settings));
    report.Value("sea_target", seaTarget);
    report.Value("lowering_passes", passes);
    report.Value("sea_cells", seaCells);
    report.Value("highest", kRescaledTop - passes);
    report.Value("lowest", -passes);
    report.Value("heightmap_sea_level", values.seaLevel);
    for (const Tile& tile : tiles) {
        report.Name("heightmap", TileFile(options, tile));
    }
    if (mosaic) report.Name("mosaic", mosaic->Name());
    report.Write();
    return 0;
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
                    "usage: mpirun -n K morvik-world generate --heightmap FILE "
                    "[--tiles NxM] [the batch tool's generate options]\n");
            }
            return 0;
        }
        RequireBuilt(options);
    } catch (const EUsageError& error) {
        if (ranks.Rank() == 0) {
            std::fprintf(stderr, "morvik-world: %s\nTry 'morvik-batch --help'.\n", error.what());
        }
        return 2;
    }
    // One clock for the world: the first rank's, where --tick leaves it to it.
    options.run.tick = static_cast<uint32_t>(ranks.FromFirst(options.run.tick));
    return BuildWorld(options, ranks);
}
