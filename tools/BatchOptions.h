#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "components/ReducedImage/ColourReduction.h"
#include "landscape/ErosionSettings.h"
#include "terrain/GenerationJob.h"
#include "terrain/MapSize.h"
#include "terrain/Wrap.h"
#include "tools/Tiles.h"

namespace morvik {

// A command line that cannot be carried out; the message names the fault in
// one line.
class EUsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct BatchOptions {
    enum class Command { kHelp, kVersion, kGenerate, kReduce };
    enum class View { kColour, kCoastline };

    Command command = Command::kHelp;
    QString input;      // reduce
    QString output;     // both; for generate, empty or the map's file; "-" standard output
    QString heightmap;  // generate: empty, "-" or a .png, .r16 or .raw file
    int32_t width = kSmallestProgramMap.Width();
    int32_t height = kSmallestProgramMap.Height();
    int32_t roughness = kFirstRoughness;
    int32_t seaShare = kFirstSeaShare;
    std::optional<uint32_t> tick;
    std::optional<int32_t> erosion;  // generate --erode: how long the land wears
    Wrap wrap = Wrap::kNone;         // generate --wrap
    std::optional<TileGrid> tiles;   // generate --tiles: every file in tiles
    View view = View::kColour;
    int32_t colours = kMostRequested;
    bool quiet = false;  // no progress line
};

// The most tiles --tiles cuts a side into.
inline constexpr int32_t kMostTiles = 256;

// Reads a whole command line, the program's name first. Options take their
// value as the next argument or after "="; --erode takes one only if the
// next argument is a number. Throws EUsageError, also for two outputs that
// lead to the same file.
BatchOptions ParseBatchOptions(const QStringList& arguments);

// The --help text.
std::string BatchUsage();

}  // namespace morvik
