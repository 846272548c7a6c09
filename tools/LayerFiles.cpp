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

PngColour ColourOf(const LayerSamples& samples) {
    switch (samples.channels) {
        case 3:
            return PngColour::kRgb;
        case 4:
            return PngColour::kRgba;
        default:
            return PngColour::kGrey;
    }
}

// Writes one file of the region from the layers, as `kind` says: the
// heights by the file's name, every other layer as a PNG.
void WriteLayer(const LayerPainters& painters, const LayerKind& kind, const LayerRegion& region,
                OutputFile& file, const WritingReport& report) {
    const LayerSamples samples = SamplesOf(kind);
    const int32_t width = region.size.Width();
    const int32_t height = region.size.Height();
    std::vector<std::byte> row(samples.RowBytes(width));
    const auto rowAt = [&](int32_t y) {
        LayerRow(painters, kind, region, y, row);
        return std::span<const std::byte>(row);
    };
    switch (kind.of) {
        case LayerKind::kHeightmap:
            WriteHeightmapRows(width, height, rowAt, file, report);
            return;
        case LayerKind::kFlippedHeightmap:
            WriteRawHeightmapRows(width, height, rowAt, file, report);
            return;
        case LayerKind::kFloatHeights:
            WriteFloatHeights(
                file, width, height,
                [&](int32_t y) {
                    const std::span<const std::byte> bytes = rowAt(y);
                    return std::span<const float>(reinterpret_cast<const float*>(bytes.data()),
                                                  static_cast<std::size_t>(width));
                },
                report);
            return;
        default:
            break;
    }
    WritePng(file,
             {.width = width,
              .height = height,
              .bitDepth = samples.bits,
              .palette = {},
              .colour = ColourOf(samples)},
             rowAt, report);
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
