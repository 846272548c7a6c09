#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "components/ReducedImage/ColourReduction.h"
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
    enum class Command { kHelp, kVersion, kGenerate, kReduce };

    Command command = Command::kHelp;
    std::string input;      // reduce
    std::string output;     // both; for generate, empty or the map's file; "-" standard output
    std::string heightmap;  // generate: empty, "-" or a .png, .r16 or .raw file
    // generate: the run, its tick the clock's when --tick is not given
    RunSettings run = Limits().defaults;
    std::optional<TileGrid> tiles;  // generate --tiles: every file in tiles
    MapView view = MapView::kColour;
    int32_t colours = kMostRequested;
    bool quiet = false;  // no progress line
};

// The most tiles --tiles cuts a side into.
inline constexpr int32_t kMostTiles = 256;

// Reads a whole command line, the program's name first. Options take their
// value as the next argument or after "="; --erode takes one only if the
// next argument is a number. Throws EUsageError, also for two outputs that
// lead to the same file.
BatchOptions ParseBatchOptions(const std::vector<std::string>& arguments);

// The --help text.
std::string BatchUsage();

}  // namespace morvik
