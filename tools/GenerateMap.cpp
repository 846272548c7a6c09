#include "tools/GenerateMap.h"

#include <memory>
#include <stdexcept>

#include "platform/BitmapPixels.h"

namespace morvik {

GeneratedMap GenerateMap(const BatchOptions& options) {
    const MapSize size(options.width, options.height);
    GeneratedMap map;
    map.tick = options.tick.value_or(SystemTickSource().Ticks());
    FixedTickSource ticks(map.tick);
    const auto terrain = std::make_unique<Terrain>(ticks, size);
    terrain->BuildColourTable();
    terrain->RunGeneration(size, options.roughness, options.seaShare, [&map](int32_t seaCells) {
        ++map.loweringPasses;
        map.seaCells = seaCells;
    });
    map.job = terrain->Job();

    map.picture = QImage(options.width, options.height, QImage::Format_RGBX8888);
    const PixelView pixels = BitmapPixels(map.picture);
    map.extremes = terrain->RenderMap(pixels);
    if (options.view == BatchOptions::View::Coastline) terrain->RenderCoastline(pixels);
    return map;
}

void LoadMap(ReducedImageStore& store, const QImage& picture) {
    if (!store.LoadFromBitmap(picture)) {
        throw std::runtime_error("the drawn map could not be taken as a bitmap image");
    }
}

}  // namespace morvik
