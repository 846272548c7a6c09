#include "tools/GenerateMap.h"

#include <memory>
#include <stdexcept>

namespace morvik {

GeneratedMap GenerateMap(const MapRequest& request) {
    const MapSize size = request.size;
    GeneratedMap map;
    FixedTickSource ticks(request.tick);
    const auto terrain = std::make_unique<Terrain>(ticks, size, request.threads);
    terrain->BuildColourTable();
    const auto seaCellsReport = [&map](int32_t seaCells) {
        ++map.loweringPasses;
        map.seaCells = seaCells;
    };
    const auto heightmapReport = [&](const CellGrid& heights) {
        map.heightmap = MakeHeightmap(heights, size, terrain->Job().SeaTarget, request.threads);
    };
    terrain->RunGeneration(
        size, request.roughness, request.seaShare,
        {.beforeFinish = request.heightmap ? HeightsReport(heightmapReport) : HeightsReport(),
         .seaCells = seaCellsReport});
    map.job = terrain->Job();

    map.picture = QImage(size.Width(), size.Height(), QImage::Format_RGBX8888);
    if (map.picture.isNull()) throw std::runtime_error("no memory for the map's picture");
    const PixelView pixels = RgbxPixels(map.picture.bits(), map.picture.bytesPerLine(), size);
    map.extremes = terrain->RenderMap(pixels);
    if (request.coastline) terrain->RenderCoastline(pixels);
    return map;
}

void LoadMap(ReducedImageStore& store, const QImage& picture) {
    if (!store.LoadFromBitmap(picture)) {
        throw std::runtime_error("the drawn map could not be taken as a bitmap image");
    }
}

}  // namespace morvik
