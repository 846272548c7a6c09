#include "web/WebMap.h"

#include "components/ReducedImage/ColourReduction.h"
#include "terrain/ERangeError.h"
#include "terrain/GenerationJob.h"
#include "terrain/SeaLevel.h"
#include "tools/GenerateMap.h"

namespace morvik {

WebLimits Limits() {
    return {kSmallestProgramMap.Width(),
            kLargestProgramMap.Width(),
            kSmallestProgramMap.Height(),
            kLargestProgramMap.Height(),
            kLeastRoughness,
            kMostRoughness,
            kLeastSeaShare,
            kMostSeaShare};
}

namespace {

bool Within(int32_t value, int32_t lowest, int32_t highest) {
    return value >= lowest && value <= highest;
}

}  // namespace

WebMap::WebMap(const WebSettings& settings)
    : size_(std::max(settings.width, 1), std::max(settings.height, 1)), ticks_(settings.tick) {
    const WebLimits limits = Limits();
    if (!Within(settings.width, limits.leastWidth, limits.mostWidth) ||
        !Within(settings.height, limits.leastHeight, limits.mostHeight) ||
        !Within(settings.roughness, limits.leastRoughness, limits.mostRoughness) ||
        !Within(settings.seaShare, limits.leastSeaShare, limits.mostSeaShare)) {
        throw ERangeError("map settings beyond the program's limits");
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
    const CellGrid& heights = terrain_->Heights();
    heightmap_ =
        MakeHeightmap(heights, size_, HighestSea(heights, size_, terrain_->Job().SeaTarget));
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
