#include "tools/GenerateMap.h"

#include <memory>

#include "platform/BitmapPixels.h"

namespace morvik {

GeneratedMap GenerateMap(const BatchOptions& options) {
    const MapSize size(options.width, options.height);
    SystemTickSource clock;
    FixedTickSource fixed(options.tick.value_or(0));
    TickSource& ticks = options.tick ? static_cast<TickSource&>(fixed) : clock;
    const auto terrain = std::make_unique<Terrain>(ticks);
    terrain->BuildColourTable();

    terrain->StartGeneration(size, options.roughness, options.seaShare, options.width,
                             options.height);
    while (terrain->Job().IterationsDone < terrain->Job().TotalIterations) {
        terrain->CircleIteration(size);
    }
    GeneratedMap map;
    terrain->FinishGeneration(size, [&map](int32_t seaCells) {
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

}  // namespace morvik
