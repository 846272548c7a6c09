#include "web/WebMap.h"

#include "layers/ReliefShading.h"
#include "layers/WaterCells.h"
#include "run/RunReport.h"
#include "terrain/ERangeError.h"

namespace morvik {

RunLimits PageLimits() {
    RunLimits limits = Limits();
    limits.width.most = 4097;
    limits.height.most = 4097;
    return limits;
}

WebMap::WebMap(const RunSettings& settings, bool rivers)
    : run_(settings, 1, PageLimits()), rivers_(rivers) {}

void WebMap::Finish(const std::function<void(double share)>& erosion) {
    run_.KeepLayers();
    run_.Complete(
        [&](RunStep step, double share) {
            if (step == RunStep::kErosion && erosion) erosion(share);
        },
        [this] { layers_ = run_.MakeLayers(); });
}

const LandLayers& WebMap::Layers() const {
    if (!layers_) throw ERangeError("the map is not finished");
    return *layers_;
}

std::span<const uint8_t> WebMap::Water() {
    if (water_.empty()) {
        const MapSize size = Layers().Size();  // throws before the finish
        TraceWater(*layers_, 1);
        water_ = WaterCells(*layers_, size);
    }
    return water_;
}

std::vector<uint8_t> WebMap::CanvasPixels(MapView view, bool relief) {
    const MapSize size = run_.Size();
    std::vector<uint8_t> pixels(static_cast<std::size_t>(size.Cells()) * 4);
    run_.Draw(RgbxPixels(pixels.data(), std::ptrdiff_t{size.Width()} * 4, size), view,
              rivers_ ? Water() : std::span<const uint8_t>());
    if (relief) ShadeRelief(Layers(), pixels);
    return pixels;
}

const Reduction& WebMap::Reduced(MapView view) {
    std::optional<Reduction>& reduced = reductions_[view == MapView::kCoastline];
    if (!reduced) {
        reduced =
            ReduceImage(run_.Picture(view, rivers_ ? Water() : std::span<const uint8_t>()).image,
                        kMostRequested);
    }
    return *reduced;
}

std::vector<uint8_t> WebMap::BmpFile(MapView view) { return Reduced(view).image; }

const Heightmap& WebMap::Heights() const { return Layers().heightmap; }

std::vector<std::byte> WebMap::LayerRows(const LayerKind& kind) {
    const LandLayers& layers = Layers();
    const MapSize size = layers.Size();
    if (kind.of == LayerKind::kFlow && !flow_) {
        Water();
        flow_.emplace(layers);
    }
    if ((kind.of == LayerKind::kMask || kind.of == LayerKind::kSplat) && !masks_) {
        // The water shows in its own mask alone.
        masks_.emplace(layers, TerrainScale{}, Water(), 1);
    }
    const LayerPainters painters{layers, TerrainScale{}, flow_, masks_};
    const std::size_t rowBytes = SamplesOf(kind).RowBytes(size.Width());
    std::vector<std::byte> samples(rowBytes * size.Height());
    for (int32_t y = 0; y < size.Height(); ++y) {
        LayerRow(painters, kind, {0, 0, size}, y,
                 std::span(samples).subspan(rowBytes * y, rowBytes));
    }
    return samples;
}

std::string WebMap::Json(MapView view, const std::string& mapName,
                         const std::string& heightmapName) {
    const Reduction& reduction = Reduced(view);
    RunReport report;
    report.Figures(run_, true, run_.Extremes());
    const uint16_t seaLevel = Heights().seaLevel;
    report.Value("heightmap_sea_level", seaLevel);
    report.Name("heightmap", heightmapName);
    report.Reduction(reduction, {mapName});
    return report.Json(TerrainScale{}, seaLevel, {heightmapName, mapName});
}

std::optional<std::string> WebMap::PackFault(Engine engine) const {
    return PackSizeFault(engine, run_.Settings().World(), std::nullopt);
}

std::string WebMap::PackReadme(Engine engine) const {
    return morvik::PackReadme(engine, run_.Settings().World(), std::nullopt, TerrainScale{},
                              Heights().seaLevel);
}

}  // namespace morvik
