// The entry layer's functions as the page's worker calls them.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include "web/WebMap.h"

namespace morvik {
namespace {

// A copy the script owns: the module's memory may move as it grows.
template <typename T>
emscripten::val Copied(const char* type, const T* data, std::size_t count) {
    return emscripten::val::global(type).new_(emscripten::typed_memory_view(count, data));
}

emscripten::val CanvasPixels(WebMap& map, bool coastline) {
    const std::vector<uint8_t> pixels = map.CanvasPixels(coastline);
    return Copied("Uint8ClampedArray", pixels.data(), pixels.size());
}

emscripten::val BmpFile(WebMap& map, bool coastline) {
    const std::vector<uint8_t> file = map.BmpFile(coastline);
    return Copied("Uint8Array", file.data(), file.size());
}

emscripten::val HeightmapValues(const WebMap& map) {
    const Heightmap& heights = map.Heights();
    return Copied("Uint16Array", heights.values.data(), heights.values.size());
}

int32_t HeightmapSeaLevel(const WebMap& map) { return map.Heights().seaLevel; }

}  // namespace

EMSCRIPTEN_BINDINGS(morvik) {
    emscripten::value_object<WebSettings>("WebSettings")
        .field("width", &WebSettings::width)
        .field("height", &WebSettings::height)
        .field("roughness", &WebSettings::roughness)
        .field("seaShare", &WebSettings::seaShare)
        .field("tick", &WebSettings::tick);
    emscripten::value_object<WebLimits>("WebLimits")
        .field("leastWidth", &WebLimits::leastWidth)
        .field("mostWidth", &WebLimits::mostWidth)
        .field("leastHeight", &WebLimits::leastHeight)
        .field("mostHeight", &WebLimits::mostHeight)
        .field("leastRoughness", &WebLimits::leastRoughness)
        .field("mostRoughness", &WebLimits::mostRoughness)
        .field("leastSeaShare", &WebLimits::leastSeaShare)
        .field("mostSeaShare", &WebLimits::mostSeaShare);
    emscripten::function("limits", &Limits);
    emscripten::class_<WebMap>("WebMap")
        .constructor<const WebSettings&>()
        .function("totalIterations", &WebMap::TotalIterations)
        .function("iterationsDone", &WebMap::IterationsDone)
        .function("takeCircles", &WebMap::TakeCircles)
        .function("finish", &WebMap::Finish)
        .function("canvasPixels", &CanvasPixels)
        .function("bmpFile", &BmpFile)
        .function("heightmapValues", &HeightmapValues)
        .function("heightmapSeaLevel", &HeightmapSeaLevel);
}

}  // namespace morvik
