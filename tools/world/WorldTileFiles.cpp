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

void WriteTileLayers(const BatchOptions& options, const RankShare& share, std::size_t tile,
                     const WorldNumbers& numbers, const RankWater& water) {
    const std::vector<BatchOptions::LayerOutput> outputs = options.LayerOutputs();
    const auto asks = [&](LayerKind::Of of) {
        return std::any_of(outputs.begin(), outputs.end(),
                           [&](const auto& output) { return output.kind.of == of; });
    };
    const GrownRegion& grown = share.grown[tile];
    std::optional<LandLayers> grownLayers;
    if (water.layers.empty()) {
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
        grownLayers ? LayerRegion{grown.Left(), grown.Above(), share.tiles[tile]->size}
                    : water.regions[tile];
    const LandLayers& layers = grownLayers ? *grownLayers : water.layers[tile];
    LayerPainters painters{layers, options.scale, std::nullopt, std::nullopt};
    if (asks(LayerKind::kFlow)) painters.flow.emplace(layers, water.mostFlow);
    if (asks(LayerKind::kMask) || asks(LayerKind::kSplat)) {
        // Plain land's finer heights are its whole values.
        const int32_t highest =
            *std::max_element(numbers.values.values.begin(), numbers.values.values.end());
        painters.masks.emplace(layers, options.scale,
                               water.water.empty() ? std::span<const uint8_t>()
                                                   : std::span<const uint8_t>(water.water[tile]),
                               1, highest);
    }
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        WriteLayerRegion(painters, outputs[i].kind, region, *share.layers[i][tile]);
        share.layers[i][tile]->Finish();
    }
}

ReducedMaps ReduceMaps(const BatchOptions& options, const RankGroup& ranks, const RankShare& share,
                       const WorldNumbers& numbers, const RankWater& water) {
    const WorldSize world = options.run.World();
    ReducedMaps maps;
    for (std::size_t i = 0; i < share.tiles.size(); ++i) {
        std::vector<uint8_t> rivers;
        if (options.rivers) {
            const LayerRegion& region = water.regions[i];
            const LandLayers& layers = water.layers[i];
            for (int32_t y = region.top; y < region.top + region.size.Height(); ++y) {
                const auto row = water.water[i].begin() +
                                 static_cast<std::ptrdiff_t>(layers.Index(region.left, y));
                rivers.insert(rivers.end(), row, row + region.size.Width());
            }
        }
        maps.pictures.emplace_back(world, share.grown[i], share.GrownHeights(i), numbers.finish,
                                   options.view, rivers);
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
