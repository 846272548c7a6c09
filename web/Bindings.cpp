// The entry layer's functions as the page's worker calls them.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include "web/WebMap.h"

namespace morvik {
namespace {

// The settings as the page sends them: plain numbers.
struct PageSettings {
    int32_t width;
    int32_t height;
    int32_t roughness;
    int32_t seaShare;
    uint32_t tick;
};

// Owned by the script's handle from here on (its delete()).
WebMap* MakeMap(const PageSettings& settings) {
    return new WebMap(RunSettings{.width = settings.width,
                                  .height = settings.height,
                                  .roughness = settings.roughness,
                                  .seaShare = settings.seaShare,
                                  .tick = settings.tick});
}

emscripten::val Range(SettingRange range) {
    emscripten::val object = emscripten::val::object();
    object.set("least", range.least);
    object.set("most", range.most);
    return object;
}

// What the page offers, and what it starts with: the core's, read once.
emscripten::val OfferedLimits() {
    const RunLimits limits = PageLimits();
    emscripten::val defaults = emscripten::val::object();
    defaults.set("width", limits.defaults.width);
    defaults.set("height", limits.defaults.height);
    defaults.set("roughness", limits.defaults.roughness);
    defaults.set("seaShare", limits.defaults.seaShare);
    emscripten::val object = emscripten::val::object();
    object.set("width", Range(limits.width));
    object.set("height", Range(limits.height));
    object.set("roughness", Range(limits.roughness));
    object.set("seaShare", Range(limits.seaShare));
    object.set("defaults", defaults);
    return object;
}

MapView View(bool coastline) { return coastline ? MapView::kCoastline : MapView::kColour; }

// A copy the script owns: the module's memory may move as it grows.
template <typename T>
emscripten::val Copied(const char* type, const T* data, std::size_t count) {
    return emscripten::val::global(type).new_(emscripten::typed_memory_view(count, data));
}

emscripten::val CanvasPixels(WebMap& map, bool coastline) {
    const std::vector<uint8_t> pixels = map.CanvasPixels(View(coastline));
    return Copied("Uint8ClampedArray", pixels.data(), pixels.size());
}

emscripten::val BmpFile(WebMap& map, bool coastline) {
    const std::vector<uint8_t> file = map.BmpFile(View(coastline));
    return Copied("Uint8Array", file.data(), file.size());
}

emscripten::val HeightmapValues(const WebMap& map) {
    const Heightmap& heights = map.Heights();
    return Copied("Uint16Array", heights.values.data(), heights.values.size());
}

int32_t HeightmapSeaLevel(const WebMap& map) { return map.Heights().seaLevel; }

}  // namespace

EMSCRIPTEN_BINDINGS(morvik) {
    emscripten::value_object<PageSettings>("PageSettings")
        .field("width", &PageSettings::width)
        .field("height", &PageSettings::height)
        .field("roughness", &PageSettings::roughness)
        .field("seaShare", &PageSettings::seaShare)
        .field("tick", &PageSettings::tick);
    emscripten::function("limits", &OfferedLimits);
    emscripten::class_<WebMap>("WebMap")
        .constructor(&MakeMap, emscripten::allow_raw_pointers())
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
