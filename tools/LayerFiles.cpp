#include "tools/LayerFiles.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <utility>

#include "terrain/ParallelFor.h"
#include "tools/FloatHeights.h"
#include "tools/OutputFiles.h"
#include "tools/PngFile.h"
#include "tools/Tiles.h"

namespace morvik {

namespace {

LayerRegion RegionOf(const LayerRegion&, const Tile& tile) {
    return {tile.left, tile.top, tile.size};
}

// A PNG of the region whose row y `fill` writes into a buffer of `samples`
// samples a row, each of type Sample.
template <typename Sample, typename Fill>
void WriteRegionPng(OutputFile& file, const LayerRegion& region, int32_t bitDepth, PngColour colour,
                    int32_t channels, const Fill& fill, const WritingReport& report) {
    std::vector<Sample> row(static_cast<std::size_t>(region.size.Width()) * channels);
    WritePng(
        file,
        {.width = region.size.Width(),
         .height = region.size.Height(),
         .bitDepth = bitDepth,
         .palette = {},
         .colour = colour},
        [&](int32_t y) {
            fill(region.top + y, std::span<Sample>(row));
            return std::as_bytes(std::span<const Sample>(row));
        },
        report);
}

// Writes one file of the region from the layers, as `kind` says.
void WriteLayer(const LayerPainters& painters, const LayerKind& kind, const LayerRegion& region,
                OutputFile& file, const WritingReport& report) {
    const LandLayers& layers = painters.layers;
    const TerrainScale& scale = painters.scale;
    const int32_t left = region.left;
    const int32_t width = region.size.Width();
    switch (kind.of) {
        case LayerKind::kHeightmap:
        case LayerKind::kFlippedHeightmap: {
            std::optional<Heightmap> tile;
            if (region.size != layers.Size()) {
                tile = TileOf(layers.heightmap, {0, 0, region.left, region.top, region.size});
            }
            const Heightmap& map = tile ? *tile : layers.heightmap;
            if (kind.of == LayerKind::kHeightmap) {
                WriteHeightmap(map, file, report);
            } else {
                WriteBottomUpHeightmap(map, file, report);
            }
            return;
        }
        case LayerKind::kFloatHeights: {
            std::vector<float> row(static_cast<std::size_t>(width));
            WriteFloatHeights(
                file, width, region.size.Height(),
                [&](int32_t y) {
                    const float* fine = &layers.heights[layers.Index(left, region.top + y)];
                    for (int32_t x = 0; x < width; ++x) {
                        row[x] = static_cast<float>(scale.Metres(fine[x]));
                    }
                    return std::span<const float>(row);
                },
                report);
            return;
        }
        case LayerKind::kNormal:
            WriteRegionPng<uint8_t>(
                file, region, 8, PngColour::kRgb, 3,
                [&](int32_t y, std::span<uint8_t> rgb) {
                    NormalRow(layers, scale, kind.normalY, y, left, rgb);
                },
                report);
            return;
        case LayerKind::kFlow:
            WriteRegionPng<uint16_t>(
                file, region, 16, PngColour::kGrey, 1,
                [&](int32_t y, std::span<uint16_t> values) { painters.flow->Row(y, left, values); },
                report);
            return;
        case LayerKind::kMask:
        case LayerKind::kSplat:
            break;
    }
    const TerrainMasks& masks = *painters.masks;
    if (kind.of == LayerKind::kMask) {
        WriteRegionPng<uint8_t>(
            file, region, 8, PngColour::kGrey, 1,
            [&](int32_t y, std::span<uint8_t> values) { masks.Row(kind.mask, y, left, values); },
            report);
        return;
    }
    WriteRegionPng<uint8_t>(
        file, region, 8, PngColour::kRgba, 4,
        [&](int32_t y, std::span<uint8_t> rgba) {
            for (int32_t x = 0; x < width; ++x) {
                const SplatWeights weights = masks.WeightsAt(left + x, y);
                std::copy(weights.begin(), weights.end(), &rgba[4 * static_cast<std::size_t>(x)]);
            }
        },
        report);
}

}  // namespace

void WriteLayerRegion(const LayerPainters& painters, const LayerKind& kind,
                      const LayerRegion& region, OutputFile& file) {
    WriteLayer(painters, kind, region, file, {});
}

void LayerFiles::Add(RunOutput output, LayerKind kind) {
    outputs_.push_back({std::move(output), kind});
}

bool LayerFiles::NeedsLayers() const {
    for (const Output& output : outputs_) {
        if (output.kind.NeedsLayers()) return true;
    }
    return false;
}

bool LayerFiles::NeedsWater() const {
    return std::any_of(outputs_.begin(), outputs_.end(),
                       [](const Output& output) { return output.kind.NeedsWater(); });
}

void LayerFiles::Start(LandLayers&& layers, std::span<const uint8_t> water) {
    layers_ = std::move(layers);
    water_ = water;
    try {
        thread_ = std::jthread([this] { Write(); });
    } catch (const std::system_error&) {
        Write();
    }
}

void LayerFiles::Write() {
    try {
        const LayerRegion whole{0, 0, layers_->Size()};
        // Made once for every file and tile.
        LayerPainters painters{*layers_, scale_, std::nullopt, std::nullopt};
        const auto asks = [&](LayerKind::Of of) {
            return std::any_of(outputs_.begin(), outputs_.end(),
                               [&](const Output& output) { return output.kind.of == of; });
        };
        if (asks(LayerKind::kFlow)) painters.flow.emplace(*layers_);
        if (asks(LayerKind::kMask) || asks(LayerKind::kSplat)) {
            ProgressLine::Task task = progress_.Start("splat weights");
            painters.masks.emplace(*layers_, scale_, water_, threads_);
        }
        ParallelFor(static_cast<int32_t>(outputs_.size()), threads_, [&](int32_t at) {
            ProgressLine::Task task = progress_.Start("layers");
            outputs_[at].files.WriteTiles(
                whole, RegionOf, [&](const LayerRegion& region, OutputFile& file) {
                    const std::string writing = "writing " + ShownName(file.Name());
                    task.Show(writing);
                    WriteLayer(painters, outputs_[at].kind, region, file,
                               [&](double share) { task.Show(writing, share); });
                    file.Finish();
                });
        });
    } catch (...) {
        error_ = std::current_exception();
    }
    layers_.reset();
}

void LayerFiles::Join() {
    if (thread_.joinable()) thread_.join();
    if (error_) std::rethrow_exception(error_);
}

}  // namespace morvik
