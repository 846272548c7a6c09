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
#include "tools/LayerFiles.h"
#include "tools/OutputFiles.h"
#include "tools/OutputSet.h"
#include "tools/Report.h"
#include "tools/TickWarning.h"
#include "tools/Tiles.h"
#include "tools/ToolProcess.h"
#include "tools/world/RankGroup.h"
#include "tools/world/WorldMosaic.h"
#include "world/GrownRegion.h"
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
    const bool others = !options.flow.empty() || !options.masks.empty() || options.preset ||
                        options.run.erosion || options.rivers;
    if (others || options.Files().empty()) {
        throw EUsageError(
            "morvik-world writes plain land's -o, --heightmap, --normal and --json so far; "
            "--erode, --rivers, --flow, --masks and --preset are the batch tool's");
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
// files, and their heights, each tile's grown by the cells around it where
// its files look at them.
struct RankShare {
    std::vector<const Tile*> tiles;
    std::vector<std::vector<OutputFile*>> layers;  // each layer output's, a file a tile
    std::vector<OutputFile*> maps;
    OutputFile* mosaic = nullptr;
    OutputFile* json = nullptr;
    std::vector<GrownRegion> grown;  // each tile's, grown or alone
    std::vector<CellGrid> heights;   // each tile's, then the rest of its grown region's
    std::vector<std::size_t> firstPart;

    const CellGrid& Heights(std::size_t tile) const { return heights[firstPart[tile]]; }
    CellGrid GrownHeights(std::size_t tile) const {
        return grown[tile].Heights(
            std::span(heights).subspan(firstPart[tile], grown[tile].Parts().size()));
    }
};

// Whether the files look at a cell's neighbours: the normals, and the
// coastline.
bool LooksAround(const BatchOptions& options) {
    const std::vector<BatchOptions::LayerOutput> layers = options.LayerOutputs();
    return (!options.output.empty() && options.view == MapView::kCoastline) ||
           std::any_of(layers.begin(), layers.end(), [](const BatchOptions::LayerOutput& layer) {
               return layer.kind.of == LayerKind::kNormal;
           });
}

// Every file is opened before the work, so one that cannot be written is
// known at once.
void OpenFiles(const BatchOptions& options, const RankGroup& ranks, OutputSet& files,
               RankShare& share) {
    for (const BatchOptions::LayerOutput& layer : options.LayerOutputs()) {
        std::vector<OutputFile*>& opened = share.layers.emplace_back();
        for (const Tile* tile : share.tiles) {
            opened.push_back(&files.Open(TileFile(options, layer.name, *tile)));
        }
    }
    for (const Tile* tile : share.tiles) {
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

// The heights of the rank's tiles, and of the cells around them where the
// files look, in one pass over the circles.
void MakeHeights(const BatchOptions& options, RankShare& share) {
    const RunSettings& settings = options.run;
    std::vector<WorldRegion> regions;
    for (const Tile* tile : share.tiles) {
        const WorldRegion region{tile->left, tile->top, tile->size};
        share.firstPart.push_back(regions.size());
        const GrownRegion& grown =
            LooksAround(options) ? share.grown.emplace_back(settings.World(), region, settings.wrap)
                                 : share.grown.emplace_back(region);
        regions.insert(regions.end(), grown.Parts().begin(), grown.Parts().end());
    }
    share.heights = RegionHeights(settings, regions);
}

// What every rank's tiles together say of the world's finish and its
// heightmap's values.
struct WorldNumbers {
    WorldFinish finish;
    int64_t seaCells;
    int32_t seaTop;  // the highest height the finish makes sea
    HeightValues values;
};

WorldNumbers AgreeOnNumbers(const BatchOptions& options, const RankGroup& ranks,
                            const RankShare& share) {
    HeightExtremes extremes{.highest = INT32_MIN, .lowest = INT32_MAX};
    for (std::size_t i = 0; i < share.tiles.size(); ++i) {
        const HeightExtremes held = FindExtremes(share.Heights(i), share.tiles[i]->size);
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
        const RescaledCounts held = CountRescaled(share.Heights(i), owned, extremes);
        for (std::size_t level = 0; level < cellsAt.size(); ++level) cellsAt[level] += held[level];
        const std::vector<uint8_t> present = OccurringHeights(share.Heights(i), owned, extremes);
        for (std::size_t slot = 0; slot < occurs.size(); ++slot) occurs[slot] |= present[slot];
    }
    ranks.Sum(cellsAt);
    ranks.Most(occurs);
    int64_t seaCells = 0;
    const int32_t passes = LoweringPasses(cellsAt, options.run.World(), options.run.seaShare * 100,
                                          [&](int64_t cells) { seaCells = cells; });
    const int32_t seaTop = HighestSeaOf(extremes, passes);
    return {{extremes, passes}, seaCells, seaTop, ValuesOfHeights(occurs, extremes, seaTop)};
}

// A tile's layer files, drawn from its grown region's layers as the whole
// map's are drawn from the whole: the finer heights only where a file
// takes more than the heightmap.
void WriteTileLayers(const BatchOptions& options, const RankShare& share, std::size_t tile,
                     const WorldNumbers& numbers) {
    const std::vector<BatchOptions::LayerOutput> outputs = options.LayerOutputs();
    const bool fine = std::any_of(outputs.begin(), outputs.end(), [](const auto& output) {
        return output.kind.of != LayerKind::kHeightmap;
    });
    const GrownRegion& grown = share.grown[tile];
    const CellGrid heights = share.GrownHeights(tile);
    // The grown region is a window on the world: its edges wrap only as
    // the world's cells around it say.
    LandLayers layers{.heightmap = HeightmapOf(heights, grown.Size(), numbers.values),
                      .wrap = Wrap::kNone};
    if (fine) {
        layers.heights = FineHeightsOf(heights, grown.Size(), numbers.seaTop, numbers.values, {});
    }
    const LayerRegion region{grown.Left(), grown.Above(), share.tiles[tile]->size};
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        WriteLayerRegion(layers, options.scale, outputs[i].kind, region, *share.layers[i][tile]);
        share.layers[i][tile]->Finish();
    }
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
        maps.pictures.emplace_back(world, share.grown[i], share.GrownHeights(i), numbers.finish,
                                   options.view);
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
                      const OutputFile* mosaic) {
    nlohmann::ordered_json written = nlohmann::ordered_json::array();
    std::vector<std::string> names;
    for (const BatchOptions::LayerOutput& layer : options.LayerOutputs())
        names.push_back(layer.name);
    if (!options.output.empty()) names.push_back(options.output);
    for (const std::string& name : names) {
        for (const Tile& tile : tiles) written.push_back(TileFile(options, name, tile));
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
    const bool layers = steps.Take([&] {
        for (std::size_t i = 0; i < share.tiles.size() && !share.layers.empty(); ++i) {
            WriteTileLayers(options, share, i, numbers);
        }
        if (share.mosaic) {
            WriteText(HeightmapMosaic(options.heightmap, settings.World(), tiles), *share.mosaic);
        }
    });
    if (!layers) return 1;
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
                    "usage: mpirun -n K morvik-world generate [-o FILE] [--heightmap FILE]\n"
                    "                                   [--normal FILE] [--json FILE]\n"
                    "                                   [--width N] [--height N] [--tiles NxM] "
                    "...\n"
                    "\n"
                    "The batch tool's generate for worlds of up to %d x %d cells, in tiles\n"
                    "of up to %d x %d, shared between the K processes of an MPI run, one a\n"
                    "core: every tile is the one morvik-batch writes for the same world, and\n"
                    "PNG heightmap tiles get a GDAL mosaic beside them (BASE.vrt). It takes\n"
                    "the batch tool's options (morvik-batch --help) for plain land; --erode,\n"
                    "--rivers, --flow, --masks and --preset are the batch tool's so far.\n",
                    WorldSize::kLargestSide, WorldSize::kLargestSide, MapSize::kLargestSide,
                    MapSize::kLargestSide);
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
    if (ranks.Rank() == 0) WarnOfASmallTick("morvik-world", options.run.tick, options.run.World());
    return BuildWorld(options, ranks);
}
