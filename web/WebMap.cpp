#include "web/WebMap.h"

#include "components/ReducedImage/ColourReduction.h"
#include "terrain/ERangeError.h"

namespace morvik {

void WebMap::Finish() {
    run_.Complete({}, [this] { heightmap_ = run_.MakeHeightmap(); });
}

std::vector<uint8_t> WebMap::CanvasPixels(MapView view) {
    const MapSize size = run_.Size();
    std::vector<uint8_t> pixels(static_cast<std::size_t>(size.Cells()) * 4);
    run_.Draw(RgbxPixels(pixels.data(), std::ptrdiff_t{size.Width()} * 4, size), view);
    return pixels;
}

std::vector<uint8_t> WebMap::BmpFile(MapView view) {
    return ReduceImage(run_.Picture(view).image, kMostRequested).image;
}

const Heightmap& WebMap::Heights() const {
    if (!heightmap_) throw ERangeError("the map is not finished");
    return *heightmap_;
}

}  // namespace morvik
