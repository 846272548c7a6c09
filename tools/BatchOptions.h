#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <stdexcept>

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
    QString output;     // both; for generate, empty or the map's file
    QString heightmap;  // generate: empty or a .png, .r16 or .raw file
    int32_t width = 160;
    int32_t height = 120;
    int32_t roughness = 1;
    int32_t seaShare = 5;
    std::optional<uint32_t> tick;
    View view = View::kColour;
    int32_t colours = 256;
};

// Reads a whole command line, the program's name first. Options take their
// value as the next argument or after "=". Throws EUsageError.
BatchOptions ParseBatchOptions(const QStringList& arguments);

extern const char* const kBatchUsage;

}  // namespace morvik
