#include "tools/BatchOptions.h"

#include <array>
#include <map>
#include <string_view>

#include "terrain/TickSource.h"
#include "tools/OutputFile.h"
#include "tools/OutputFiles.h"
#include "tools/SystemText.h"

namespace morvik {

namespace {

std::string Range(int64_t lowest, int64_t highest) {
    return std::to_string(lowest) + ".." + std::to_string(highest);
}

// The text with %1, %2, ... replaced by the values, the highest first so
// that %1 does not eat the start of %12.
std::string Filled(std::string text, const std::vector<std::string>& values) {
    for (std::size_t i = values.size(); i > 0; --i) {
        std::string mark(1, '%');
        mark += std::to_string(i);
        for (std::size_t at = text.find(mark); at != std::string::npos;
             at = text.find(mark, at + values[i - 1].size())) {
            text.replace(at, mark.size(), values[i - 1]);
        }
    }
    return text;
}

}  // namespace

std::string BatchUsage() {
    const RunLimits limits = Limits();
    return Filled(
        "usage: morvik-batch generate [-o FILE] [--heightmap FILE] "
        "[--width N] [--height N]\n"
        "                             [--roughness N] [--sea N] [--tick N] [--erode [N]]\n"
        "                             [--wrap x|xy] [--tiles NxM]\n"
        "                             [--view colour|coastline] [--colors N] [--quiet]\n"
        "       morvik-batch reduce INPUT OUTPUT [--colors N] [--quiet]\n"
        "       morvik-batch --help | --version\n"
        "\n"
        "generate  makes one map and saves it, with at least one of:\n"
        "          -o FILE          the map in at most --colors colours: a palette PNG\n"
        "                           for a name ending in .png, else a BMP file;\n"
        "          --heightmap FILE its heights before the sea is set, 16 bits a cell,\n"
        "                           row by row from the top: a grayscale PNG (.png)\n"
        "                           or little-endian values with no header (.r16,\n"
        "                           .raw). Sea is at most heightmap_sea_level, land\n"
        "                           above it.\n"
        "          --width %1 (%2), --height %1 (%3), --roughness %4 (%5),\n"
        "          --sea %6 tenths of the map (%7), --view colour or coastline (colour).\n"
        "          --tick %8 is the clock every random number is bounded by;\n"
        "          without it the clock is read once and printed, so that the same\n"
        "          --tick makes the same file again. Below 3 times the map's longer\n"
        "          side the circles crowd toward a corner (a warning says so).\n"
        "          --erode [N]      wears the land for a time N, %12 (%13), before\n"
        "                           the sea is set: rivers cut and grade their\n"
        "                           valleys down to the sea or the map's edge,\n"
        "                           slopes creep and fail, sediment fills valley\n"
        "                           floors, lowlands and the shore, and the rock\n"
        "                           rises where the circles raised it, so the\n"
        "                           mountains keep their height. More N: deeper,\n"
        "                           wider valleys and more sediment. The sea is the\n"
        "                           asked share to the cell, every land cell\n"
        "                           drains to the sea or the edge, and the time\n"
        "                           grows with N and with the map's cells.\n"
        "          --wrap x|xy      a world that wraps: east to west (x), or both\n"
        "                           ways (xy). Copies of the map side by side (and,\n"
        "                           with xy, one above the other) meet without a\n"
        "                           seam, and the coastline and the rivers cross\n"
        "                           the edge.\n"
        "          --tiles NxM      every file as N x M tiles, N across and M down,\n"
        "                           %14 each: BASE_x{i}_y{j}.EXT for BASE.EXT,\n"
        "                           x0_y0 at the top left. Each shares its last\n"
        "                           column with the next tile across and its last\n"
        "                           row with the next down, so width - 1 must\n"
        "                           divide by N and height - 1 by M.\n"
        "reduce    reduces a BMP file of up to %9 x %9 to at most --colors\n"
        "          colours, and saves it as -o does.\n"
        "--colors  %10 (%11).\n"
        "--quiet   no progress line; it is drawn only when standard error is a terminal.\n"
        "A run writes every file it is asked for, or replaces none of them. A FILE\n"
        "of - is standard output (a BMP file or raw heightmap), and the report then\n"
        "goes to standard error. Devices and FIFOs (/dev/stdout, /dev/fd/N) are\n"
        "written to, never replaced; a heightmap there is raw values.\n"
        "Options take their value as the next argument or after '=' (--width=300).\n",
        {Range(limits.width.least, limits.width.most), std::to_string(limits.defaults.width),
         std::to_string(limits.defaults.height),
         Range(limits.roughness.least, limits.roughness.most),
         std::to_string(limits.defaults.roughness),
         Range(limits.seaShare.least, limits.seaShare.most),
         std::to_string(limits.defaults.seaShare), Range(0, UINT32_MAX),
         std::to_string(MapSize::kLargestSide), Range(kFewestRequested, kMostRequested),
         std::to_string(kMostRequested), Range(limits.erosion.least, limits.erosion.most),
         std::to_string(limits.defaultErosion), Range(1, kMostTiles)});
}

namespace {

// One option: its long name, its one-letter name if any, and whether it
// takes a value (--erode's is optional).
struct Option {
    std::string_view name;
    char letter;
    enum { kFlag, kValue, kOptionalNumber } kind;
};

constexpr std::array kOptions{
    Option{"output", 'o', Option::kValue},  Option{"heightmap", 0, Option::kValue},
    Option{"width", 0, Option::kValue},     Option{"height", 0, Option::kValue},
    Option{"roughness", 0, Option::kValue}, Option{"sea", 0, Option::kValue},
    Option{"tick", 0, Option::kValue},      Option{"erode", 0, Option::kOptionalNumber},
    Option{"wrap", 0, Option::kValue},      Option{"tiles", 0, Option::kValue},
    Option{"view", 0, Option::kValue},      Option{"colors", 0, Option::kValue},
    Option{"quiet", 'q', Option::kFlag},    Option{"help", 'h', Option::kFlag},
    Option{"version", 'v', Option::kFlag},
};

// A command line taken apart: the options given, each with its last value,
// and the plain arguments.
struct Parsed {
    std::map<std::string_view, std::string> values;
    std::vector<std::string> plain;

    bool IsSet(std::string_view name) const { return values.contains(name); }
    const std::string& Value(std::string_view name) const { return values.at(name); }
};

// An option by its long name, or by its letter for a name of one letter.
const Option& Named(std::string_view name, const std::string& argument) {
    for (const Option& option : kOptions) {
        if (name.size() == 1 ? option.letter == name[0] : option.name == name) return option;
    }
    throw EUsageError("unknown option '" + argument + "'");
}

// Letters after one dash are options each, as in "-qo FILE"; a letter that
// takes a value takes the rest of the argument ("-oFILE", "-o=FILE"), or
// else the next argument.
Parsed Parse(const std::vector<std::string>& arguments) {
    Parsed parsed;
    for (std::size_t at = 1; at < arguments.size(); ++at) {
        const std::string& argument = arguments[at];
        if (argument == "--") {
            parsed.plain.insert(parsed.plain.end(), arguments.begin() + at + 1, arguments.end());
            break;
        }
        if (!argument.starts_with('-') || argument == "-") {
            parsed.plain.push_back(argument);
            continue;
        }
        // The options of this argument, each with the text it was given
        // after its name; none after a long one without "=".
        std::vector<std::pair<const Option*, std::optional<std::string>>> given;
        if (argument.starts_with("--")) {
            const std::size_t equals = argument.find('=');
            const Option& option = Named(argument.substr(2, equals - 2), argument);
            given.emplace_back(&option, equals == std::string::npos
                                            ? std::nullopt
                                            : std::optional(argument.substr(equals + 1)));
        } else {
            for (std::size_t letter = 1; letter < argument.size(); ++letter) {
                const Option& option = Named(argument.substr(letter, 1), argument);
                const std::string rest = argument.substr(letter + 1);
                if (option.kind == Option::kFlag || rest.empty()) {
                    given.emplace_back(&option, std::nullopt);
                    continue;
                }
                given.emplace_back(&option, rest.starts_with('=') ? rest.substr(1) : rest);
                break;
            }
        }
        for (auto& [option, text] : given) {
            const std::string shown = "--" + std::string(option->name);
            std::string value;
            if (text) {
                if (option->kind == Option::kFlag) throw EUsageError(shown + " takes no value");
                value = *text;
            } else if (option->kind == Option::kValue) {
                if (at + 1 == arguments.size()) throw EUsageError("missing value after " + shown);
                value = arguments[++at];
            } else if (option->kind == Option::kOptionalNumber) {
                const bool number = at + 1 < arguments.size() && WholeNumber(arguments[at + 1]);
                value = number ? arguments[++at] : std::to_string(Limits().defaultErosion);
            }
            parsed.values[option->name] = value;
        }
    }
    return parsed;
}

int64_t Number(const Parsed& parsed, std::string_view name, int64_t lowest, int64_t highest,
               const std::string& why = {}) {
    const std::string& text = parsed.Value(name);
    const std::optional<int64_t> value = WholeNumber(text);
    if (!value || *value < lowest || *value > highest) {
        throw EUsageError("--" + std::string(name) + " takes a whole number in " +
                          Range(lowest, highest) + why + ", not '" + text + "'");
    }
    return *value;
}

int32_t Setting(const Parsed& parsed, std::string_view name, SettingRange range) {
    return static_cast<int32_t>(Number(parsed, name, range.least, range.most));
}

// "--tiles NxM" for a map of the options' size, written to files.
TileGrid ReadTiles(const std::string& text, const BatchOptions& options) {
    const std::size_t x = text.find('x');
    const std::optional<int64_t> across =
        x == std::string::npos || x > 3 ? std::nullopt : WholeNumber(text.substr(0, x));
    const std::optional<int64_t> down = x == std::string::npos || text.size() - x - 1 > 3
                                            ? std::nullopt
                                            : WholeNumber(text.substr(x + 1));
    const auto inRange = [](std::optional<int64_t> count) {
        return count && *count >= 1 && *count <= kMostTiles;
    };
    if (!inRange(across) || !inRange(down) || text.find_first_of("+-") != std::string::npos) {
        throw EUsageError("--tiles takes NxM, each in " + Range(1, kMostTiles) + ", not '" + text +
                          "'");
    }
    const TileGrid grid{static_cast<int32_t>(*across), static_cast<int32_t>(*down)};
    if (options.output == "-" || options.heightmap == "-") {
        throw EUsageError("--tiles writes files, not standard output (-)");
    }
    for (const std::string* name : {&options.output, &options.heightmap}) {
        if (!name->empty() && IsWrittenThrough(*name)) {
            throw EUsageError("--tiles writes new files beside each name, and '" + *name +
                              "' is no plain file but a device, a pipe or a descriptor");
        }
    }
    const RunSettings& run = options.run;
    const MapSize size = run.Size();
    if (SplitsEvenly(size, grid) && (grid.across == 1 || grid.across < run.width) &&
        (grid.down == 1 || grid.down < run.height)) {
        return grid;
    }
    std::string why = "--tiles " + text + " needs width - 1 to divide by " +
                      std::to_string(grid.across) + " and height - 1 by " +
                      std::to_string(grid.down) + ", into tiles at least 2 cells across";
    const auto nearest = [&](const char* side, int32_t value, int32_t parts) {
        if ((value - 1) % parts == 0 && (parts == 1 || parts < value)) return;
        const NearestSides sides = NearestSplittingSides(value, parts);
        why += std::string("; ") + side + " " + std::to_string(value) + " does not, ";
        if (sides.below > 0) why += std::to_string(sides.below);
        if (sides.below > 0 && sides.above <= MapSize::kLargestSide) why += " or ";
        if (sides.above <= MapSize::kLargestSide) why += std::to_string(sides.above);
        why += " would";
    };
    nearest("width", run.width, grid.across);
    nearest("height", run.height, grid.down);
    throw EUsageError(why);
}

void ReadGenerateOptions(const Parsed& parsed, BatchOptions& options) {
    if (parsed.IsSet("output")) options.output = parsed.Value("output");
    if (parsed.IsSet("heightmap")) options.heightmap = parsed.Value("heightmap");
    if (options.output.empty() && options.heightmap.empty()) {
        throw EUsageError("generate needs -o FILE, --heightmap FILE or both");
    }
    // Raw values go wherever the name gives no ending: standard output, a
    // pipe (/dev/fd/N), a device.
    if (!options.heightmap.empty() && !IsWrittenThrough(options.heightmap) &&
        !IsHeightmapName(options.heightmap)) {
        throw EUsageError("--heightmap FILE ends in .png, .r16 or .raw, or is - or a pipe, not '" +
                          options.heightmap + "'");
    }
    if (!options.output.empty() && !options.heightmap.empty() &&
        NameTheSameFile(options.output, options.heightmap)) {
        throw EUsageError(options.output == "-"
                              ? std::string("only one output can be standard output (-)")
                              : "-o and --heightmap name the same file, '" + options.heightmap +
                                    "'");
    }
    const RunLimits limits = Limits();
    RunSettings& run = options.run;
    if (parsed.IsSet("width")) run.width = Setting(parsed, "width", limits.width);
    if (parsed.IsSet("height")) run.height = Setting(parsed, "height", limits.height);
    if (parsed.IsSet("roughness")) run.roughness = Setting(parsed, "roughness", limits.roughness);
    if (parsed.IsSet("sea")) run.seaShare = Setting(parsed, "sea", limits.seaShare);
    run.tick = parsed.IsSet("tick") ? static_cast<uint32_t>(Number(parsed, "tick", 0, UINT32_MAX))
                                    : SystemTickSource().Ticks();
    if (parsed.IsSet("erode")) run.erosion = Setting(parsed, "erode", limits.erosion);
    if (parsed.IsSet("wrap")) {
        const std::string& wrap = parsed.Value("wrap");
        if (wrap != "x" && wrap != "xy") throw EUsageError("--wrap is x or xy, not '" + wrap + "'");
        run.wrap = wrap == "x" ? Wrap::kX : Wrap::kXY;
    }
    if (parsed.IsSet("tiles")) options.tiles = ReadTiles(parsed.Value("tiles"), options);
    if (parsed.IsSet("view")) {
        const std::string& view = parsed.Value("view");
        if (view != "colour" && view != "coastline") {
            throw EUsageError("--view is colour or coastline, not '" + view + "'");
        }
        options.view = view == "colour" ? MapView::kColour : MapView::kCoastline;
    }
}

}  // namespace

BatchOptions ParseBatchOptions(const std::vector<std::string>& arguments) {
    const Parsed parsed = Parse(arguments);
    BatchOptions options;
    const std::vector<std::string>& plain = parsed.plain;
    if (parsed.IsSet("help") || parsed.IsSet("version")) {
        if (!plain.empty()) throw EUsageError("--help and --version take no command");
        options.command =
            parsed.IsSet("help") ? BatchOptions::Command::kHelp : BatchOptions::Command::kVersion;
        return options;
    }
    if (plain.empty()) throw EUsageError("no command given");
    options.quiet = parsed.IsSet("quiet");
    if (parsed.IsSet("colors")) {
        options.colours = static_cast<int32_t>(Number(
            parsed, "colors", kFewestRequested, kMostRequested,
            " (a reduction keeps at least " + std::to_string(kFewestRequested) + " colours)"));
    }
    if (plain[0] == "generate") {
        options.command = BatchOptions::Command::kGenerate;
        if (plain.size() > 1) throw EUsageError("unexpected argument '" + plain[1] + "'");
        ReadGenerateOptions(parsed, options);
    } else if (plain[0] == "reduce") {
        options.command = BatchOptions::Command::kReduce;
        if (plain.size() != 3) throw EUsageError("reduce needs INPUT and OUTPUT");
        for (const Option& option : kOptions) {
            const bool generateOnly = option.name != "colors" && option.name != "quiet";
            if (generateOnly && parsed.IsSet(option.name)) {
                throw EUsageError("reduce takes no --" + std::string(option.name));
            }
        }
        if (plain[1].empty() || plain[2].empty()) {
            throw EUsageError("reduce needs INPUT and OUTPUT file names");
        }
        options.input = plain[1];
        options.output = plain[2];
    } else {
        throw EUsageError("unknown command '" + plain[0] + "'");
    }
    return options;
}

}  // namespace morvik
