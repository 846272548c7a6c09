#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "components/ReducedImage/ColourReduction.h"
#include "layers/NormalMap.h"
#include "layers/TerrainScale.h"
#include "run/EnginePack.h"
#include "run/MapRun.h"
#include "run/RunSettings.h"
#include "tools/Tiles.h"

namespace morvik {

// A command line that cannot be carried out; the message names the fault in
// one line.
class EUsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// File names are kept as the bytes they were given, whatever their encoding.
struct BatchOptions {
    enum class Command { kHelp, kVersion, kGenerate, kErode, kReduce };

    Command command = Command::kHelp;
    std::string input;   // reduce and erode
    std::string output;  // every command; for generate and erode, empty or the map's file
    // Generate and erode: each file empty when not asked for; "-" is
    // standard output.
    std::string heightmap;  // .png, .r16, .raw (16 bits), .exr or .r32 (metres), "-"
    std::string normal;     // a .png
    NormalY normalY = NormalY::kUp;
    std::string flow;   // a .png
    std::string masks;  // PREFIX: PREFIX_water.png and the rest
    std::string json;   // the report as JSON
    std::optional<Engine> preset;
    std::string pack;  // the preset's folder
    bool rivers = false;
    TerrainScale scale;
    // The run, its tick the clock's when --tick is not given; erode's takes
    // its size from the input and wears it for --erode or the default.
    RunSettings run = Limits().defaults;
    // Erode: the size of a .r16 input, and the sea as a height of the input
    // in place of --sea's share.
    std::optional<int32_t> inputWidth;
    std::optional<int32_t> inputHeight;
    std::optional<double> seaLevel;
    std::string tilesAsked;         // erode: --tiles, read once the input's size is known
    std::optional<TileGrid> tiles;  // --tiles: every file in tiles
    MapView view = MapView::kColour;
    int32_t colours = kMostRequested;
    bool quiet = false;  // no progress line

    // Every file the run writes, by its name before tiling: masks and pack
    // files each, the report's JSON last.
    std::vector<std::string> Files() const;

    // The files drawn from the land's layers, in the report's order: each
    // one's key in the report, its name and what it holds.
    struct LayerOutput {
        const char* key;
        std::string name;
        LayerKind kind;
    };
    std::vector<LayerOutput> LayerOutputs() const;
};

// The name of a mask's file for --masks PREFIX, and of a pack's file.
std::string MaskFileName(const std::string& prefix, Mask mask);
std::string PackFileName(const std::string& folder, const std::string& name);

// The most tiles --tiles cuts a side into.
inline constexpr int32_t kMostTiles = 256;

// Reads a whole command line, the program's name first. Options take their
// value as the next argument or after "="; --erode takes one only if the
// next argument is a number. Throws EUsageError, also for two outputs that
// lead to the same file. Generate's sizes are within `limits`.
BatchOptions ParseBatchOptions(const std::vector<std::string>& arguments,
                               const RunLimits& limits = Limits());

// Erode, once the input's size is in `run`: its tiles read and its pack's
// size checked. Throws EUsageError.
void FitToInput(BatchOptions& options);

// The --help text.
std::string BatchUsage();

}  // namespace morvik
