#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "layers/LayerPicture.h"
#include "layers/TerrainScale.h"
#include "run/TileGrid.h"
#include "terrain/MapSize.h"
#include "terrain/WorldSize.h"

namespace morvik {

// The game engines a pack is made for.
enum class Engine { kUnreal, kUnity, kGodot };

// "unreal", "unity" or "godot"; none for anything else.
std::optional<Engine> EngineNamed(std::string_view name);

// One file of a pack, by its name in the pack's folder, tiled with the rest.
struct PackFile {
    std::string name;
    LayerKind kind;
};

// The files an engine's importer reads: the heights in its format, the
// normal map in its convention and the splat weights as it takes them.
std::vector<PackFile> PackFiles(Engine engine);

// Why the engine cannot take a map of this size (in tiles, each tile's),
// naming the nearest sizes it can; none when it can.
std::optional<std::string> PackSizeFault(Engine engine, WorldSize size,
                                         const std::optional<TileGrid>& grid);

// The pack's README.txt: what each file is and how to import it, for a map
// of this size and scale whose sea is at seaLevel of the heightmap's values.
std::string PackReadme(Engine engine, WorldSize size, const std::optional<TileGrid>& grid,
                       const TerrainScale& scale, uint16_t seaLevel);

}  // namespace morvik
