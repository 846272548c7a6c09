// morvik-world: the batch tool's generate for worlds, its tiles shared
// between the ranks of an MPI run, each tile the bytes a whole-map build
// writes there.
#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "components/ReducedImage/BmpCrop.h"
#include "components/ReducedImage/ColourReduction.h"
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
#include "world/PassOrder.h"
#include "world/RegionPicture.h"
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
    const bool others = !options.normal.empty() || !options.flow.empty() ||
                        !options.masks.empty() || options.preset || options.run.erosion ||
                        options.rivers;
    if (others || (options.heightmap.empty() && options.output.empty() && options.json.empty())) {
        throw EUsageError(
            "morvik-world writes -o and --heightmap tiles of plain land and --json so far; "
            "--erode, --rivers and the other engine files are the batch tool's");
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

// The file a tile of an output named `name` goes to: the name itself, for a
// world in one piece.
std::string TileFile(const BatchOptions& options, const std::string& name, const Tile& tile) {
    return options.tiles ? TileName(name, tile) : name;
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

// A rank's share of the world: its tiles (ranks take them in turn), their
// files, and their heights, with the cells beside each where the coastline
// looks at them.
struct RankShare {
    std::vector<const Tile*> tiles;
    std::vector<OutputFile*> heightmaps;
    std::vector<OutputFile*> maps;
    OutputFile* mosaic = nullptr;
    OutputFile* json = nullptr;
    std::vector<CellGrid> heights;
    std::vector<RegionBorders> borders;
    std::vector<std::array<const CellGrid*, 4>> borderHeights;
};

// Every file is opened before the work, so one that cannot be written is
// known at once.
void OpenFiles(const BatchOptions& options, const RankGroup& ranks, OutputSet& files,
               RankShare& share) {
    for (const Tile* tile : share.tiles) {
        if (!options.heightmap.empty()) {
            share.heightmaps.push_back(&files.Open(TileFile(options, options.heightmap, *tile)));
        }
        if (!options.output.empty()) {
            share.maps.push_back(&files.Open(TileFile(options, options.output, *tile)));
        }
    }
    // GDAL reads PNG tiles; raw ones carry no size for it to place them by.
    if (ranks.Rank() == 0 && options.tiles && IsPngName(options.heightmap)) {
        share.mosaic = &files.Open(MosaicName(options.heightmap));
    }
    if (ranks.Rank() == 0 && !options.json.empty()) share.json = &files.Open(options.json);
}

// The heights of the rank's tiles, and of the cells beside them where a
// coastline is drawn, in one pass over the circles.
void MakeHeights(const BatchOptions& options, RankShare& share) {
    const RunSettings& settings = options.run;
    std::vector<WorldRegion> regions;
    for (const Tile* tile : share.tiles) regions.push_back({tile->left, tile->top, tile->size});
    const bool coastline = !options.output.empty() && options.view == MapView::kCoastline;
    for (std::size_t i = 0; coastline && i < share.tiles.size(); ++i) {
        share.borders.push_back(BordersOf(settings.World(), regions[i], settings.wrap));
        for (const std::optional<WorldRegion>& border : share.borders.back()) {
            if (border) regions.push_back(*border);
        }
    }
    share.heights = RegionHeights(settings, regions);
    std::size_t next = share.tiles.size();
    for (const RegionBorders& borders : share.borders) {
        std::array<const CellGrid*, 4>& held = share.borderHeights.emplace_back();
        for (std::size_t side = 0; side < borders.size(); ++side) {
            held[side] = borders[side] ? &share.heights[next++] : nullptr;
        }
    }
}

// What every rank's tiles together say of the world's finish and its
// heightmap's values.
struct WorldNumbers {
    WorldFinish finish;
    int64_t seaCells;
    HeightValues values;
};

WorldNumbers AgreeOnNumbers(const BatchOptions& options, const RankGroup& ranks,
                            const RankShare& share) {
    HeightExtremes extremes{.highest = INT32_MIN, .lowest = INT32_MAX};
    for (std::size_t i = 0; i < share.tiles.size(); ++i) {
        const HeightExtremes held = FindExtremes(share.heights[i], share.tiles[i]->size);
        extremes = Widened(extremes, held.highest, held.lowest);
    }
    std::vector<int64_t> least{extremes.lowest};
    std::vector<int64_t> most{extremes.highest};
    ranks.Least(least);
    ranks.Most(most);
    extremes = {.highest = static_cast<int32_t>(most[0]), .lowest = static_cast<int32_t>(least[0])};
    RescaledCounts cellsAt{};
    std::vector<uint8_t> occurs(
        static_cast<std::size_t>(int64_t{extremes.highest} - extremes.lowest + 1), 0);
    for (std::size_t i = 0; i < share.tiles.size(); ++i) {
        const MapSize owned = OwnedPart(*share.tiles[i], options);
        const RescaledCounts held = CountRescaled(share.heights[i], owned, extremes);
        for (std::size_t level = 0; level < cellsAt.size(); ++level) cellsAt[level] += held[level];
        const std::vector<uint8_t> present = OccurringHeights(share.heights[i], owned, extremes);
        for (std::size_t slot = 0; slot < occurs.size(); ++slot) occurs[slot] |= present[slot];
    }
    ranks.Sum(cellsAt);
    ranks.Most(occurs);
    int64_t seaCells = 0;
    const int32_t passes = LoweringPasses(cellsAt, options.run.World(), options.run.seaShare * 100,
                                          [&](int64_t cells) { seaCells = cells; });
    return {{extremes, passes},
            seaCells,
            ValuesOfHeights(occurs, extremes, HighestSeaOf(extremes, passes))};
}

// The map's tiles, reduced together as the whole picture is: each pass
// counts the lattice cells every rank's tiles meet, in the order a scan of
// the whole picture meets them. Every rank takes part in every pass.
struct ReducedMaps {
    std::vector<RegionPicture> pictures;
    Reduction reduction;  // its counts; the tiles hold the image
    bool dithered = false;
    PassOrder order;
};

ReducedMaps ReduceMaps(const BatchOptions& options, const RankGroup& ranks, const RankShare& share,
                       const WorldNumbers& numbers) {
    const WorldSize world = options.run.World();
    ReducedMaps maps;
    for (std::size_t i = 0; i < share.tiles.size(); ++i) {
        const Tile& tile = *share.tiles[i];
        maps.pictures.emplace_back(world, WorldRegion{tile.left, tile.top, tile.size},
                                   share.heights[i], numbers.finish, options.view,
                                   share.borderHeights.empty() ? std::array<const CellGrid*, 4>{}
                                                               : share.borderHeights[i]);
    }
    maps.reduction.sourceColours = MakeReductionPasses(options.colours, [&](int32_t levels,
                                                                            bool dither) {
        std::vector<int64_t> first(static_cast<std::size_t>(levels) * levels * levels, INT64_MAX);
        for (const RegionPicture& picture : maps.pictures) {
            picture.LowerFirstPositions(levels, dither, first);
        }
        ranks.Least(first);
        maps.order = OrderOfFirstPositions(first, world.Width());
        maps.reduction.levels = levels;
        maps.dithered = dither;
        return maps.order.count;
    });
    maps.reduction.colourCount = maps.order.count;
    return maps;
}

void WriteMaps(const BatchOptions& options, const RankShare& share, const ReducedMaps& maps) {
    const PassOrder& order = maps.order;
    std::vector<uint32_t> table(static_cast<std::size_t>(order.count));
    for (std::size_t cell = 0; cell < order.indexOf.size(); ++cell) {
        if (order.indexOf[cell] >= 0) {
            table[static_cast<std::size_t>(order.indexOf[cell])] = static_cast<uint32_t>(cell);
        }
    }
    const int32_t bits = ReducedBits(options.colours);
    const int32_t levels = maps.reduction.levels;
    for (std::size_t i = 0; i < maps.pictures.size(); ++i) {
        const MapSize size = share.tiles[i]->size;
        std::vector<uint8_t> image = IndexedBmpImage(
            size.Width(), size.Height(), bits, levels, table,
            maps.pictures[i].IndexedRows(levels, maps.dithered, order.indexOf, bits));
        // A tile is cut from the whole picture, and says so in its header.
        if (options.tiles) image = CropBmpImage(image, {0, 0, size.Width(), size.Height()});
        WriteMapImage(image, *share.maps[i]);
        share.maps[i]->Finish();
    }
}

// What the world's run tells, as the batch tool tells of its tiles, and
// its mosaic.
Report WorldReport(const BatchOptions& options, const std::vector<Tile>& tiles,
                   const WorldNumbers& numbers, const Reduction& reduction,
                   const OutputFile* mosaic) {
    const RunSettings& settings = options.run;
    const std::vector<std::string> outputs = options.Files();
    Report report(std::find(outputs.begin(), outputs.end(), "-") != outputs.end());
    report.Value("tick", settings.tick);
    report.Value("total_iterations", CircleCount(settings));
    report.Value("sea_target", settings.seaShare * 100);
    report.Value("lowering_passes", numbers.finish.passes);
    report.Value("sea_cells", numbers.seaCells);
    report.Value("highest", kRescaledTop - numbers.finish.passes);
    report.Value("lowest", -numbers.finish.passes);
    if (!options.heightmap.empty() || !options.json.empty()) {
        report.Value("heightmap_sea_level", numbers.values.seaLevel);
    }
    for (const Tile& tile : tiles) {
        if (!options.heightmap.empty()) {
            report.Name("heightmap", TileFile(options, options.heightmap, tile));
        }
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
                      const OutputFile* mosaic) {
    nlohmann::ordered_json written = nlohmann::ordered_json::array();
    for (const std::string* name : {&options.heightmap, &options.output}) {
        for (const Tile& tile : tiles) {
            if (!name->empty()) written.push_back(TileFile(options, *name, tile));
        }
    }
    if (mosaic) written.push_back(mosaic->Name());
    return report.Json({{"relief", options.scale.relief},
                        {"cell", options.scale.cell},
                        {"sea_level_metres", options.scale.Metres(numbers.values.seaLevel)},
                        {"files", written}});
}

int BuildWorld(const BatchOptions& options, const RankGroup& ranks) {
    const RunSettings& settings = options.run;
    const std::vector<Tile> tiles = WorldTiles(options);
    RankShare share;
    for (std::size_t i = static_cast<std::size_t>(ranks.Rank()); i < tiles.size();
         i += static_cast<std::size_t>(ranks.Ranks())) {
        share.tiles.push_back(&tiles[i]);
    }
    Steps steps(ranks);
    OutputSet files;
    if (!steps.Take([&] {
            OpenFiles(options, ranks, files, share);
            MakeHeights(options, share);
        })) {
        return 1;
    }
    const WorldNumbers numbers = AgreeOnNumbers(options, ranks, share);
    const bool heightmaps = steps.Take([&] {
        for (std::size_t i = 0; i < share.heightmaps.size(); ++i) {
            WriteHeightmap(HeightmapOf(share.heights[i], share.tiles[i]->size, numbers.values),
                           *share.heightmaps[i]);
            share.heightmaps[i]->Finish();
        }
        if (share.mosaic) {
            WriteText(HeightmapMosaic(options.heightmap, settings.World(), tiles), *share.mosaic);
        }
    });
    if (!heightmaps) return 1;
    ReducedMaps maps;
    if (!options.output.empty()) {
        maps = ReduceMaps(options, ranks, share, numbers);
        if (!steps.Take([&] { WriteMaps(options, share, maps); })) return 1;
    }
    std::optional<Report> report;
    if (!steps.Take([&] {
            if (ranks.Rank() != 0) return;
            report.emplace(WorldReport(options, tiles, numbers, maps.reduction, share.mosaic));
            if (share.json) {
                WriteText(WorldJson(options, *report, numbers, tiles, share.mosaic), *share.json);
            }
        }) ||
        !steps.Take([&] { files.Commit(); })) {
        return 1;
    }
    if (report) report->Write();
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
                    "usage: mpirun -n K morvik-world generate [-o FILE] [--heightmap FILE] "
                    "[--tiles NxM] [the batch tool's generate options]\n");
            }
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
    return BuildWorld(options, ranks);
}
