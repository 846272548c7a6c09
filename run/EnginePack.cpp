#include "run/EnginePack.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace morvik {

namespace {

// Unreal's landscape sides: quads a section times sections a component (1
// or 2) times components (1..32), plus one.
std::set<int32_t> UnrealSides() {
    std::set<int32_t> sides;
    for (const int32_t quads : {7, 15, 31, 63, 127, 255}) {
        for (const int32_t sections : {1, 2}) {
            for (int32_t components = 1; components <= 32; ++components) {
                sides.insert(quads * sections * components + 1);
            }
        }
    }
    return sides;
}

// Unity's terrain heightmaps are square, 2^n + 1 a side from 33 to 4097.
std::set<int32_t> UnitySides() {
    std::set<int32_t> sides;
    for (int32_t side = 32; side <= 4096; side *= 2) sides.insert(side + 1);
    return sides;
}

std::string Listed(const std::set<int32_t>& sides, int32_t side) {
    std::string nearest;
    const auto above = sides.upper_bound(side);
    if (above != sides.begin()) nearest = std::to_string(*std::prev(above));
    if (above != sides.end() && *above <= MapSize::kLargestSide) {
        if (!nearest.empty()) nearest += " or ";
        nearest += std::to_string(*above);
    }
    return nearest;
}

std::string Metres(double metres) {
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", metres);
    return text;
}

}  // namespace

std::optional<Engine> EngineNamed(std::string_view name) {
    if (name == "unreal") return Engine::kUnreal;
    if (name == "unity") return Engine::kUnity;
    if (name == "godot") return Engine::kGodot;
    return std::nullopt;
}

std::vector<PackFile> PackFiles(Engine engine) {
    switch (engine) {
        case Engine::kUnreal: {
            std::vector<PackFile> files{{"Heightmap.png", {LayerKind::kHeightmap}},
                                        {"Normal.png", {LayerKind::kNormal, NormalY::kDown}}};
            for (const Mask mask : kSplatMasks) {
                std::string name(MaskName(mask));
                name[0] = static_cast<char>(name[0] - 'a' + 'A');
                files.push_back({name + ".png", {LayerKind::kMask, NormalY::kUp, mask}});
            }
            return files;
        }
        case Engine::kUnity:
            return {{"Heightmap.raw", {LayerKind::kFlippedHeightmap}},
                    {"Normal.png", {LayerKind::kNormal}},
                    {"Splatmap.png", {LayerKind::kSplat}}};
        case Engine::kGodot:
            break;
    }
    return {{"Heightmap.exr", {LayerKind::kFloatHeights}},
            {"Normal.png", {LayerKind::kNormal}},
            {"Splatmap.png", {LayerKind::kSplat}}};
}

std::optional<std::string> PackSizeFault(Engine engine, WorldSize size,
                                         const std::optional<TileGrid>& grid) {
    if (engine == Engine::kGodot) return std::nullopt;
    const TileGrid tiles = grid.value_or(TileGrid{});
    const int32_t width = (size.Width() - 1) / tiles.across + 1;
    const int32_t height = (size.Height() - 1) / tiles.down + 1;
    const std::set<int32_t> sides = engine == Engine::kUnreal ? UnrealSides() : UnitySides();
    const std::string what = grid ? "each tile's " : "the map's ";
    const char* name = engine == Engine::kUnreal ? "unreal" : "unity";
    std::string fault;
    const auto check = [&](const char* side, int32_t value) {
        if (sides.contains(value)) return;
        fault += std::string(fault.empty() ? "" : "; ") + what + side + " " +
                 std::to_string(value) + " is not one of them (nearest: " + Listed(sides, value) +
                 ")";
    };
    check("width", width);
    check("height", height);
    if (engine == Engine::kUnity && fault.empty() && width != height) {
        fault = what + "width and height differ (" + std::to_string(width) + " x " +
                std::to_string(height) + "), and Unity's terrains are square";
    }
    if (fault.empty()) return std::nullopt;
    const std::string takes = engine == Engine::kUnreal
                                  ? "Unreal's landscape sizes (8129, 4033, 2017, 1009, 505, "
                                    "253, 127 and the other sums of its components)"
                                  : "Unity's square terrains of 2^n + 1 (33 to 4097)";
    return std::string("--preset ") + name + " takes " + takes + ": " + fault;
}

std::string PackReadme(Engine engine, WorldSize size, const std::optional<TileGrid>& grid,
                       const TerrainScale& scale, uint16_t seaLevel) {
    const TileGrid tiles = grid.value_or(TileGrid{});
    const int32_t tileWidth = (size.Width() - 1) / tiles.across + 1;
    const int32_t tileHeight = (size.Height() - 1) / tiles.down + 1;
    const std::string sea = Metres(scale.Metres(seaLevel));
    std::string text = "Terrain made by Morvik: " + std::to_string(size.Width()) + " x " +
                       std::to_string(size.Height()) + " cells, " + Metres(scale.cell) +
                       " m apart; heights 0 to " + Metres(scale.relief) + " m, the sea at " + sea +
                       " m.\n";
    if (grid) {
        text += "In " + std::to_string(tiles.across) + " x " + std::to_string(tiles.down) +
                " tiles of " + std::to_string(tileWidth) + " x " + std::to_string(tileHeight) +
                " cells: NAME_x{i}_y{j} is the tile i across and j down from the top left;\n"
                "neighbouring tiles share their edge cells.\n";
    }
    text += "\n";
    switch (engine) {
        case Engine::kUnreal:
            text +=
                "Unreal Engine (Landscape mode > Manage > New > Import from File):\n"
                "  Heightmap File   Heightmap.png (16-bit grayscale)" +
                std::string(grid ? "; pick Heightmap_x0_y0.png and the tiles are found by name"
                                 : "") +
                "\n  Scale            X " + Metres(scale.cell * 100) + ", Y " +
                Metres(scale.cell * 100) + ", Z " + Metres(scale.relief * 100 / 512) +
                "\n  Location Z       " + Metres(scale.relief * 50) +
                " puts height 0 at Z 0, and the sea at Z " + Metres(scale.Metres(seaLevel) * 100) +
                " (cm)\n"
                "  Layers           give the landscape material four paint layers named Sand,\n"
                "                   Grass, Rock and Snow, and import Sand.png, Grass.png,\n"
                "                   Rock.png and Snow.png as their weight maps (8-bit grayscale,\n"
                "                   adding up to 255 at every cell)" +
                std::string(grid ? "; in tiles, Sand_x0_y0.png and so on,\n"
                                   "                   found by name as the heightmap's are\n"
                                 : "\n") +
                "  Normal.png       the heights' normals, DirectX (green down): import as a\n"
                "                   texture with compression Normalmap, sRGB off\n";
            break;
        case Engine::kUnity:
            text +=
                "Unity (Terrain > Terrain Settings > Texture Resolutions > Import Raw):\n"
                "  File             Heightmap.raw\n"
                "  Depth            Bit 16, Byte Order Windows, Flip Vertically off (its rows\n"
                "                   already start at the south edge)\n"
                "  Resolution       " +
                std::to_string(tileWidth) + "\n  Terrain Size     Width " +
                Metres((tileWidth - 1) * scale.cell) + ", Length " +
                Metres((tileHeight - 1) * scale.cell) + ", Height " + Metres(scale.relief) +
                "; the sea is at a height of " + sea +
                "\n"
                "  Splatmap.png     the weights of four Terrain Layers, RGBA: sand, grass, rock,\n"
                "                   snow, adding up to 255 at every cell; add the layers in that\n"
                "                   order and import it as the terrain's first alphamap (Terrain\n"
                "                   Tools > Import Splatmaps)\n"
                "  Normal.png       the heights' normals, OpenGL (green up): Texture Type Normal\n"
                "                   map\n";
            if (grid) {
                text += "  Tiles            Heightmap_x{i}_y{j}.raw is the terrain at X " +
                        Metres((tileWidth - 1) * scale.cell) + " x i, Z " +
                        Metres((tileHeight - 1) * scale.cell) + " x (" +
                        std::to_string(tiles.down - 1) + " - j)\n";
            }
            break;
        case Engine::kGodot:
            text +=
                "Godot (Terrain3D or Zylann's HTerrain):\n"
                "  Heightmap.exr    heights in metres, 32-bit float, one channel (Y): Terrain3D's\n"
                "                   importer with height scale 1, or HTerrain's Import with\n"
                "                   min 0 and max " +
                Metres(scale.relief) + "\n  Vertex spacing   " + Metres(scale.cell) +
                "\n"
                "  Splatmap.png     the weights of four textures, RGBA: sand, grass, rock, snow,\n"
                "                   adding up to 255 at every cell (HTerrain's Classic4 splatmap)\n"
                "  Normal.png       the heights' normals, OpenGL (green up)\n"
                "  Sea              a water plane at " +
                sea + " m\n";
            break;
    }
    return text;
}

}  // namespace morvik
