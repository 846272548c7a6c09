#include "tools/world/WorldTileFiles.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>
#include <span>

#include "components/ReducedImage/BmpCrop.h"
#include "terrain/Heightmap.h"
#include "tools/LayerFiles.h"
#include "tools/OutputFiles.h"

namespace morvik {

namespace {

// A grown region's heights from the window of the land that holds it.
CellGrid GrownFromWindow(const GrownRegion& grown, const RankLand& land, std::size_t tile) {
    const PartWindow& window = land.parts->Windows()[tile];
    CellGrid cells(grown.Size());
    for (int32_t x = 0; x < grown.Size().Width(); ++x) {
        std::copy_n(land.heights[tile].Column(window.left - grown.Left() + x) + window.above -
                        grown.Above(),
                    grown.Size().Height(), cells.Column(x));
    }
    return cells;
}

}  // namespace

void WriteTileLayers(const BatchOptions& options, const RankShare& share, std::size_t tile,
                     const WorldNumbers& numbers, const RankLayers* windows) {
    const std::vector<BatchOptions::LayerOutput> outputs = options.LayerOutputs();
    const auto asks = [&](LayerKind::Of of) {
        return std::any_of(outputs.begin(), outputs.end(),
                           [&](const auto& output) { return output.kind.of == of; });
    };
    const GrownRegion& grown = share.grown[tile];
    std::optional<LandLayers> grownLayers;
    // Plain land's finer heights are its whole values.
    MaskScales scales{static_cast<double>(*std::max_element(numbers.values.values.begin(),
                                                            numbers.values.values.end())),
                      0, 0};
    if (windows) {
        scales = windows->scales;
    } else {
        const CellGrid heights = share.GrownHeights(tile);
        // The grown region is a window on the world: its edges wrap only as
        // the world's cells around it say.
        grownLayers.emplace(LandLayers{
            .heightmap = HeightmapOf(heights, grown.Size(), numbers.values), .wrap = Wrap::kNone});
        if (std::any_of(outputs.begin(), outputs.end(),
                        [](const auto& output) { return output.kind.NeedsLayers(); })) {
            grownLayers->heights =
                FineHeightsOf(heights, grown.Size(), numbers.seaTop, numbers.values, {});
        }
    }
    const LayerRegion region =
        windows ? windows->regions[tile]
                : LayerRegion{grown.Left(), grown.Above(), share.tiles[tile]->size};
    const LandLayers& layers = windows ? windows->layers[tile] : *grownLayers;
    LayerPainters painters{layers, options.scale, std::nullopt, std::nullopt};
    if (asks(LayerKind::kFlow)) painters.flow.emplace(layers, windows->mostFlow);
    if (asks(LayerKind::kMask) || asks(LayerKind::kSplat)) {
        const bool wet = windows && !windows->water.empty();
        painters.masks.emplace(
            layers, options.scale,
            wet ? std::span<const uint8_t>(windows->water[tile]) : std::span<const uint8_t>(), 1,
            scales);
    }
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        WriteLayerRegion(painters, outputs[i].kind, region, *share.layers[i][tile]);
        share.layers[i][tile]->Finish();
    }
}

ReducedMaps ReduceMaps(const BatchOptions& options, const RankGroup& ranks, const RankShare& share,
                       const WorldNumbers& numbers, const RankLand& land,
                       const RankLayers* windows) {
    const WorldSize world = options.run.World();
    ReducedMaps maps;
    for (std::size_t i = 0; i < share.tiles.size(); ++i) {
        std::vector<uint8_t> rivers;
        if (options.rivers) {
            const LayerRegion& region = windows->regions[i];
            const LandLayers& layers = windows->layers[i];
            for (int32_t y = region.top; y < region.top + region.size.Height(); ++y) {
                const auto row = windows->water[i].begin() +
                                 static_cast<std::ptrdiff_t>(layers.Index(region.left, y));
                rivers.insert(rivers.end(), row, row + region.size.Width());
            }
        }
        const GrownRegion& grown = share.grown[i];
        maps.pictures.emplace_back(
            world, grown, land.seaTop ? GrownFromWindow(grown, land, i) : share.GrownHeights(i),
            numbers.finish, options.view, rivers);
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

}  // namespace morvik
