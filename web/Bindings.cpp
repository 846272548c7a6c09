// The entry layer's functions as the page's worker calls them.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include "web/WebMap.h"

namespace morvik {
namespace {

// The settings as the page sends them: plain numbers, an erosion of 0 for
// none, a wrap of 0, 1 or 2 for none, x or xy.
struct PageSettings {
    int32_t width;
    int32_t height;
    int32_t roughness;
    int32_t seaShare;
    uint32_t tick;
    int32_t erosion;
    int32_t wrap;
    bool rivers;
};

// Owned by the script's handle from here on (its delete()).
WebMap* MakeMap(const PageSettings& settings) {
    return new WebMap(RunSettings{.width = settings.width,
                                  .height = settings.height,
                                  .roughness = settings.roughness,
                                  .seaShare = settings.seaShare,
                                  .tick = settings.tick,
                                  .erosion = settings.erosion > 0 ? std::optional(settings.erosion)
                                                                  : std::nullopt,
                                  .wrap = settings.wrap == 2   ? Wrap::kXY
                                          : settings.wrap == 1 ? Wrap::kX
                                                               : Wrap::kNone},
                      settings.rivers);
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
    const RunLimits window = WindowLimits();
    emscripten::val defaults = emscripten::val::object();
    defaults.set("width", limits.defaults.width);
    defaults.set("height", limits.defaults.height);
    defaults.set("roughness", limits.defaults.roughness);
    defaults.set("seaShare", limits.defaults.seaShare);
    defaults.set("erosion", limits.defaultErosion);
    emscripten::val object = emscripten::val::object();
    object.set("width", Range(limits.width));
    object.set("height", Range(limits.height));
    object.set("roughness", Range(limits.roughness));
    object.set("seaShare", Range(limits.seaShare));
    object.set("erosion", Range(limits.erosion));
    object.set("windowWidth", Range(window.width));
    object.set("windowHeight", Range(window.height));
    object.set("defaults", defaults);
    return object;
}

MapView View(bool coastline) { return coastline ? MapView::kCoastline : MapView::kColour; }

// A copy the script owns: the module's memory may move as it grows.
template <typename T>
emscripten::val Copied(const char* type, const T* data, std::size_t count) {
    return emscripten::val::global(type).new_(emscripten::typed_memory_view(count, data));
}

void Finish(WebMap& map, emscripten::val erosion) {
    map.Finish([&](double share) { erosion(share); });
}

emscripten::val CanvasPixels(WebMap& map, bool coastline, bool relief) {
    const std::vector<uint8_t> pixels = map.CanvasPixels(View(coastline), relief);
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

// A layer's samples as bytes in the machine's order (little-endian), for
// kind.of a LayerKind::Of, normalY 1 for down, mask a Mask.
emscripten::val LayerRows(WebMap& map, int32_t of, int32_t normalY, int32_t mask) {
    const std::vector<std::byte> samples =
        map.LayerRows({.of = static_cast<LayerKind::Of>(of),
                       .normalY = normalY ? NormalY::kDown : NormalY::kUp,
                       .mask = static_cast<Mask>(mask)});
    return Copied("Uint8Array", reinterpret_cast<const uint8_t*>(samples.data()), samples.size());
}

std::string Json(WebMap& map, bool coastline, const std::string& mapName,
                 const std::string& heightmapName) {
    return map.Json(View(coastline), mapName, heightmapName);
}

std::optional<Engine> EngineOf(const std::string& name) { return EngineNamed(name); }

// Why the map can be no pack for the engine; empty when it can.
std::string PackFault(const WebMap& map, const std::string& engine) {
    return map.PackFault(*EngineOf(engine)).value_or("");
}

// The pack's files: each its name, and its LayerKind's of, normalY and mask;
// then its README's text.
emscripten::val Pack(const WebMap& map, const std::string& engine) {
    emscripten::val files = emscripten::val::array();
    for (const PackFile& file : PackFiles(*EngineOf(engine))) {
        emscripten::val entry = emscripten::val::object();
        entry.set("name", file.name);
        entry.set("of", static_cast<int32_t>(file.kind.of));
        entry.set("normalY", file.kind.normalY == NormalY::kDown ? 1 : 0);
        entry.set("mask", static_cast<int32_t>(file.kind.mask));
        files.call<void>("push", entry);
    }
    emscripten::val pack = emscripten::val::object();
    pack.set("files", files);
    pack.set("readme", map.PackReadme(*EngineOf(engine)));
    return pack;
}

// The tick below which a map of this size crowds its land, as a number a
// script holds exactly.
double FullTickFrom(int32_t width, int32_t height) {
    return static_cast<double>(morvik::SmallestFullTick(WorldSize(width, height)));
}

}  // namespace

EMSCRIPTEN_BINDINGS(morvik) {
    emscripten::value_object<PageSettings>("PageSettings")
        .field("width", &PageSettings::width)
        .field("height", &PageSettings::height)
        .field("roughness", &PageSettings::roughness)
        .field("seaShare", &PageSettings::seaShare)
        .field("tick", &PageSettings::tick)
        .field("erosion", &PageSettings::erosion)
        .field("wrap", &PageSettings::wrap)
        .field("rivers", &PageSettings::rivers);
    emscripten::function("limits", &OfferedLimits);
    emscripten::function("smallestFullTick", &FullTickFrom);
    emscripten::class_<WebMap>("WebMap")
        .constructor(&MakeMap, emscripten::allow_raw_pointers())
        .function("totalIterations", &WebMap::TotalIterations)
        .function("iterationsDone", &WebMap::IterationsDone)
        .function("takeCircles", &WebMap::TakeCircles)
        .function("finish", &Finish)
        .function("canvasPixels", &CanvasPixels)
        .function("bmpFile", &BmpFile)
        .function("heightmapValues", &HeightmapValues)
        .function("heightmapSeaLevel", &HeightmapSeaLevel)
        .function("layerRows", &LayerRows)
        .function("json", &Json)
        .function("packFault", &PackFault)
        .function("pack", &Pack);
}

}  // namespace morvik
