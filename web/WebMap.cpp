#include "web/WebMap.h"

#include "components/ReducedImage/ColourReduction.h"
#include "terrain/ERangeError.h"
#include "terrain/GenerationJob.h"
#include "tools/GenerateMap.h"

namespace morvik {

namespace {

std::string Outside(const char* what, int64_t value, int64_t lowest, int64_t highest) {
    if (value >= lowest && value <= highest) return {};
    return std::string("The ") + what + " must be " + std::to_string(lowest) + " to " +
           std::to_string(highest) + ", not " + std::to_string(value) + ".";
}

}  // namespace

std::string RefusalOf(const WebSettings& settings) {
    for (std::string refusal :
         {Outside("width", settings.width, 1, kLargestProgramMap.Width()),
          Outside("height", settings.height, 1, kLargestProgramMap.Height()),
          Outside("roughness", settings.roughness, kLeastRoughness, kMostRoughness),
          Outside("sea share", settings.seaShare, kLeastSeaShare, kMostSeaShare)}) {
        if (!refusal.empty()) return refusal;
    }
    return {};
}

WebMap::WebMap(const WebSettings& settings)
    : size_(std::max(settings.width, 1), std::max(settings.height, 1)), ticks_(settings.tick) {
    if (const std::string refusal = RefusalOf(settings); !refusal.empty()) {
        throw ERangeError(refusal);
    }
    terrain_ = std::make_unique<Terrain>(ticks_, size_);
    terrain_->BuildColourTable();
    terrain_->StartGeneration(size_, settings.roughness, settings.seaShare, size_.Width(),
                              size_.Height());
}

bool WebMap::TakeCircles(int32_t count) {
    for (int32_t i = 0; i < count && IterationsDone() < TotalIterations(); ++i) {
        terrain_->CircleIteration(size_);
    }
    return IterationsDone() < TotalIterations();
}

void WebMap::Finish() {
    if (IterationsDone() < TotalIterations()) throw ERangeError("the circles are not all taken");
    if (finished_) return;
    heightmap_ = MakeHeightmap(terrain_->Heights(), size_, terrain_->Job().SeaTarget);
    terrain_->FinishGeneration(size_, {});
    finished_ = true;
}

std::vector<uint8_t> WebMap::CanvasPixels(bool coastline) {
    RequireFinished();
    std::vector<uint8_t> pixels(static_cast<std::size_t>(size_.Cells()) * 4);
    const PixelView view = RgbxPixels(pixels.data(), std::ptrdiff_t{size_.Width()} * 4, size_);
    terrain_->RenderMap(view);
    if (coastline) terrain_->RenderCoastline(view);
    return pixels;
}

std::vector<uint8_t> WebMap::BmpFile(bool coastline) {
    RequireFinished();
    const MapPicture picture = DrawMapPicture(*terrain_, size_, coastline);
    return ReduceImage(picture.image, kMostRequested).image;
}

const Heightmap& WebMap::Heights() const {
    RequireFinished();
    return *heightmap_;
}

void WebMap::RequireFinished() const {
    if (!finished_) throw ERangeError("the map is not finished");
}

}  // namespace morvik
