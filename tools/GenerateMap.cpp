#include "tools/GenerateMap.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "components/ReducedImage/BmpImage.h"
#include "landscape/ErodedLand.h"

namespace morvik {

namespace {

// Where the pixels start: past the headers, on a boundary of their own size.
constexpr std::size_t kPixelsAt = 64;

// A black 32-bit bottom-up BMP file image of this size.
ZeroedVector<uint8_t> BlankPicture(MapSize size) {
    const auto pixelBytes = static_cast<std::size_t>(size.Cells()) * 4;
    ZeroedVector<uint8_t> image(kPixelsAt + pixelBytes);
    WriteBmpHeader({.bfSize = static_cast<int32_t>(image.size()),
                    .bfOffBits = static_cast<int32_t>(kPixelsAt),
                    .biWidth = size.Width(),
                    .biHeight = size.Height(),
                    .biBitCount = 32,
                    .biSizeImage = static_cast<int32_t>(pixelBytes)},
                   image);
    return image;
}

// Its pixels as the renderers see them: the top row last in memory, blue
// first.
PixelView PicturePixels(ZeroedVector<uint8_t>& image, MapSize size) {
    auto* pixels = reinterpret_cast<uint32_t*>(image.data() + kPixelsAt);
    return PixelView(pixels + static_cast<std::ptrdiff_t>(size.Height() - 1) * size.Width(),
                     -static_cast<std::ptrdiff_t>(size.Width()), size, 0, ChannelOrder::kBlueFirst);
}

}  // namespace

GeneratedMap GenerateMap(const MapRequest& request) {
    const MapSize size = request.size;
    GeneratedMap map;
    FixedTickSource ticks(request.tick);
    const auto terrain = std::make_unique<Terrain>(ticks, size, request.threads);
    terrain->BuildColourTable();
    RunReports reports{
        .iterations = request.iterations, .beforeFinish = {}, .seaCells = [&map](int32_t seaCells) {
            ++map.loweringPasses;
            map.seaCells = seaCells;
        }};
    if (request.heightmap) {
        reports.beforeFinish = [&](const CellGrid& heights, int32_t seaTop) {
            request.heightmap(MakeHeightmap(heights, size, seaTop, request.threads));
        };
    }
    LandShaper erosion;
    if (request.erosion) {
        erosion = [&](CellGrid& heights, int32_t seaTarget) {
            return ErodeLand(heights, size, seaTarget,
                             {.amount = *request.erosion,
                              .wrap = request.wrap,
                              .threads = request.threads,
                              .progress = request.erosionProgress});
        };
    }
    terrain->RunGeneration(size, request.roughness, request.seaShare, reports, request.wrap,
                           erosion);
    map.job = terrain->Job();
    MapPicture picture = DrawMapPicture(*terrain, size, request.coastline);
    map.picture = std::move(picture.image);
    map.extremes = picture.extremes;
    return map;
}

MapPicture DrawMapPicture(Terrain& terrain, MapSize size, bool coastline) {
    MapPicture picture{BlankPicture(size), {}};
    const PixelView pixels = PicturePixels(picture.image, size);
    picture.extremes = terrain.RenderMap(pixels);
    if (coastline) terrain.RenderCoastline(pixels);
    return picture;
}

int64_t SmallestFullTick(MapSize size) {
    return 3 * int64_t{std::max(size.Width(), size.Height())};
}

}  // namespace morvik
