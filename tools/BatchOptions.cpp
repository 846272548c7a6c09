#include "tools/BatchOptions.h"

#include <array>
#include <map>
#include <string_view>

#include "terrain/TickSource.h"
#include "tools/HeightmapInput.h"
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
        "usage: morvik-batch generate [-o FILE] [--heightmap FILE] [ENGINE FILES]\n"
        "                             [--width N] [--height N] [--roughness N] [--sea N]\n"
        "                             [--tick N] [--erode [N]] [--wrap x|xy] [--tiles NxM]\n"
        "                             [--view colour|coastline] [--rivers] [--colors N]\n"
        "                             [--quiet]\n"
        "       morvik-batch erode INPUT [-o FILE] [--heightmap FILE] [ENGINE FILES]\n"
        "                             [--width N --height N] [--sea N | --sea-level V]\n"
        "                             [--erode N] [--wrap x|xy] [--tiles NxM] ...\n"
        "       morvik-batch reduce INPUT OUTPUT [--colors N] [--quiet]\n"
        "       morvik-batch --help | --version\n"
        "\n"
        "generate  makes one map and saves it, with at least one file:\n"
        "          -o FILE          the map in at most --colors colours: a palette PNG\n"
        "                           for a name ending in .png, else a BMP file;\n"
        "          --heightmap FILE its heights before the sea is set, row by row from\n"
        "                           the top: 16 bits a cell as a grayscale PNG (.png) or\n"
        "                           little-endian values with no header (.r16, .raw),\n"
        "                           sea at most heightmap_sea_level and land above it;\n"
        "                           or metres, 0..--relief, as 32-bit floats, finer\n"
        "                           than 16 bits where the erosion made them so: an\n"
        "                           OpenEXR file of one channel Y (.exr) or little-\n"
        "                           endian floats with no header (.r32).\n"
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
        "          --rivers         draws the rivers and lakes on the map (-o) in the\n"
        "                           sea's colour, wider downstream.\n"
        "ENGINE FILES, for generate and erode:\n"
        "          --relief M       the metres the heightmap's 0..65535 span (512), and\n"
        "          --cell M         the metres from one cell to the next (1): they\n"
        "                           scale the normals, the slopes and float heights.\n"
        "          --normal FILE    8-bit RGB tangent-space normals (.png); green is\n"
        "                           toward the map's top (OpenGL) unless\n"
        "          --normal-y down  makes it toward the bottom (DirectX).\n"
        "          --flow FILE      the water through each cell, log-scaled, as a\n"
        "                           16-bit grayscale PNG: no cell has more than the\n"
        "                           cell it drains into.\n"
        "          --masks PREFIX   8-bit grayscale PNGs PREFIX_water.png (rivers and\n"
        "                           lakes), _deposit, _wear, _slope, and the splat\n"
        "                           weights _sand, _grass, _rock and _snow, which add\n"
        "                           up to 255 at every cell.\n"
        "          --json FILE      the report as one JSON object, with the scale, the\n"
        "                           sea level in metres and every file written.\n"
        "          --preset unreal|unity|godot --pack DIR\n"
        "                           a folder of what that engine imports: its\n"
        "                           heights, normals and splat weights, named and laid\n"
        "                           out as it takes them, and a README.txt that says\n"
        "                           how. A size the engine cannot take is refused,\n"
        "                           naming the nearest it can.\n"
        "erode     wears INPUT, a heightmap of your own: a 16-bit grayscale PNG, an\n"
        "          .r16 file of --width x --height values or an OpenEXR file (.exr),\n"
        "          %15 to %9 a side, by --erode N (%13), with the sea as --sea's\n"
        "          share (%7) or every cell at or below --sea-level V (a height of\n"
        "          INPUT); and saves it as generate does.\n"
        "reduce    reduces a BMP file of up to %9 x %9 to at most --colors\n"
        "          colours, and saves it as -o does.\n"
        "--colors  %10 (%11).\n"
        "--quiet   no progress line; it is drawn only when standard error is a terminal.\n"
        "A run writes every file it is asked for, or replaces none of them. A FILE\n"
        "of - is standard output (a BMP file, a PNG, raw heights or the JSON), and\n"
        "the report then goes to standard error. Devices and FIFOs (/dev/stdout,\n"
        "/dev/fd/N) are written to, never replaced; a heightmap there is raw values.\n"
        "Options take their value as the next argument or after '=' (--width=300).\n",
        {Range(limits.width.least, limits.width.most), std::to_string(limits.defaults.width),
         std::to_string(limits.defaults.height),
         Range(limits.roughness.least, limits.roughness.most),
         std::to_string(limits.defaults.roughness),
         Range(limits.seaShare.least, limits.seaShare.most),
         std::to_string(limits.defaults.seaShare), Range(0, UINT32_MAX),
         std::to_string(MapSize::kLargestSide), Range(kFewestRequested, kMostRequested),
         std::to_string(kMostRequested), Range(limits.erosion.least, limits.erosion.most),
         std::to_string(limits.defaultErosion), Range(1, kMostTiles),
         std::to_string(kSmallestInputSide)});
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
    Option{"output", 'o', Option::kValue},       Option{"heightmap", 0, Option::kValue},
    Option{"width", 0, Option::kValue},          Option{"height", 0, Option::kValue},
    Option{"roughness", 0, Option::kValue},      Option{"sea", 0, Option::kValue},
    Option{"sea-level", 0, Option::kValue},      Option{"tick", 0, Option::kValue},
    Option{"erode", 0, Option::kOptionalNumber}, Option{"wrap", 0, Option::kValue},
    Option{"tiles", 0, Option::kValue},          Option{"view", 0, Option::kValue},
    Option{"rivers", 0, Option::kFlag},          Option{"relief", 0, Option::kValue},
    Option{"cell", 0, Option::kValue},           Option{"normal", 0, Option::kValue},
    Option{"normal-y", 0, Option::kValue},       Option{"flow", 0, Option::kValue},
    Option{"masks", 0, Option::kValue},          Option{"json", 0, Option::kValue},
    Option{"preset", 0, Option::kValue},         Option{"pack", 0, Option::kValue},
    Option{"colors", 0, Option::kValue},         Option{"quiet", 'q', Option::kFlag},
    Option{"help", 'h', Option::kFlag},          Option{"version", 'v', Option::kFlag},
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
TileGrid ReadTiles(const std::string& text, const BatchOptions& options, int32_t largestSide) {
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
    // The report's JSON is one file whatever the tiles.
    std::vector<std::string> files = options.Files();
    if (!options.json.empty()) files.pop_back();
    for (const std::string& name : files) {
        if (name == "-") throw EUsageError("--tiles writes files, not standard output (-)");
        if (IsWrittenThrough(name)) {
            throw EUsageError("--tiles writes new files beside each name, and '" + name +
                              "' is no plain file but a device, a pipe or a descriptor");
        }
    }
    const RunSettings& run = options.run;
    const WorldSize size = run.World();
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
        if (sides.below > 0 && sides.above <= largestSide) why += " or ";
        if (sides.above <= largestSide) why += std::to_string(sides.above);
        why += " would";
    };
    nearest("width", run.width, grid.across);
    nearest("height", run.height, grid.down);
    throw EUsageError(why);
}

// Metres from a millimetre to a thousand kilometres: finer or larger, the
// slopes between cells leave the range of the normals' arithmetic.
double Metres(const Parsed& parsed, std::string_view name) {
    const std::string& text = parsed.Value(name);
    const std::optional<double> value = DecimalNumber(text);
    if (!value || *value < 0.001 || *value > 1e6) {
        throw EUsageError("--" + std::string(name) + " takes metres from 0.001 to 1000000, not '" +
                          text + "'");
    }
    return *value;
}

// The files generate and erode write, and how.
void ReadOutputs(const Parsed& parsed, BatchOptions& options) {
    for (const auto& [name, file] :
         {std::pair{"output", &options.output}, std::pair{"heightmap", &options.heightmap},
          std::pair{"normal", &options.normal}, std::pair{"flow", &options.flow},
          std::pair{"masks", &options.masks}, std::pair{"json", &options.json},
          std::pair{"pack", &options.pack}}) {
        if (!parsed.IsSet(name)) continue;
        *file = parsed.Value(name);
        if (file->empty()) throw EUsageError("--" + std::string(name) + " needs a file name");
    }
    if (parsed.IsSet("preset")) {
        options.preset = EngineNamed(parsed.Value("preset"));
        if (!options.preset) {
            throw EUsageError("--preset is unreal, unity or godot, not '" + parsed.Value("preset") +
                              "'");
        }
    }
    if (options.preset.has_value() != !options.pack.empty()) {
        throw EUsageError("--preset ENGINE and --pack DIR go together");
    }
    if (options.Files().empty()) {
        throw EUsageError(
            "a run needs a file to write: -o, --heightmap, --normal, --flow, --masks, --json or "
            "--pack");
    }
    // Raw values go wherever the name gives no ending: standard output, a
    // pipe (/dev/fd/N), a device.
    const std::string& heightmap = options.heightmap;
    if (!heightmap.empty() && !IsWrittenThrough(heightmap) && !IsHeightmapName(heightmap) &&
        !IsFloatHeightsName(heightmap)) {
        throw EUsageError(
            "--heightmap FILE ends in .png, .r16, .raw, .exr or .r32, or is - or a pipe, not '" +
            heightmap + "'");
    }
    for (const auto& [name, file] :
         {std::pair{"normal", &options.normal}, std::pair{"flow", &options.flow}}) {
        if (!file->empty() && !IsWrittenThrough(*file) && !IsPngName(*file)) {
            throw EUsageError("--" + std::string(name) + " FILE is a PNG file (.png), not '" +
                              *file + "'");
        }
    }
    for (const auto& [name, folder] :
         {std::pair{"masks", &options.masks}, std::pair{"pack", &options.pack}}) {
        if (*folder == "-") {
            throw EUsageError("--" + std::string(name) + " names files, not standard output");
        }
    }
    if (parsed.IsSet("normal-y")) {
        const std::string& way = parsed.Value("normal-y");
        if (way != "up" && way != "down") {
            throw EUsageError("--normal-y is up or down, not '" + way + "'");
        }
        options.normalY = way == "up" ? NormalY::kUp : NormalY::kDown;
    }
    if (parsed.IsSet("relief")) options.scale.relief = Metres(parsed, "relief");
    if (parsed.IsSet("cell")) options.scale.cell = Metres(parsed, "cell");
    options.rivers = parsed.IsSet("rivers");
    if (options.rivers && options.output.empty()) {
        throw EUsageError("--rivers draws on the map, and there is no -o FILE");
    }
    if (parsed.IsSet("view")) {
        const std::string& view = parsed.Value("view");
        if (view != "colour" && view != "coastline") {
            throw EUsageError("--view is colour or coastline, not '" + view + "'");
        }
        options.view = view == "colour" ? MapView::kColour : MapView::kCoastline;
    }
    const std::vector<std::string> files = options.Files();
    for (std::size_t i = 0; i < files.size(); ++i) {
        for (std::size_t j = i + 1; j < files.size(); ++j) {
            if (files[i] == "-" && files[j] == "-") {
                throw EUsageError("only one output can be standard output (-)");
            }
            if (NameTheSameFile(files[i], files[j])) {
                throw EUsageError("two outputs name the same file, '" + files[j] + "'");
            }
        }
    }
}

// The files in tiles, and the pack's size, once the map's size is known.
void ReadTilesAndPack(const std::string& tiles, BatchOptions& options, int32_t largestSide) {
    if (!tiles.empty()) options.tiles = ReadTiles(tiles, options, largestSide);
    if (options.preset) {
        const std::optional<std::string> fault =
            PackSizeFault(*options.preset, options.run.World(), options.tiles);
        if (fault) throw EUsageError(*fault);
    }
}

void ReadWrap(const Parsed& parsed, RunSettings& run) {
    if (!parsed.IsSet("wrap")) return;
    const std::string& wrap = parsed.Value("wrap");
    if (wrap != "x" && wrap != "xy") throw EUsageError("--wrap is x or xy, not '" + wrap + "'");
    run.wrap = wrap == "x" ? Wrap::kX : Wrap::kXY;
}

void ReadGenerateOptions(const Parsed& parsed, BatchOptions& options, const RunLimits& limits) {
    if (parsed.IsSet("sea-level"))
        throw EUsageError("--sea-level is erode's; generate takes --sea");
    ReadOutputs(parsed, options);
    RunSettings& run = options.run;
    if (parsed.IsSet("width")) run.width = Setting(parsed, "width", limits.width);
    if (parsed.IsSet("height")) run.height = Setting(parsed, "height", limits.height);
    if (parsed.IsSet("roughness")) run.roughness = Setting(parsed, "roughness", limits.roughness);
    if (parsed.IsSet("sea")) run.seaShare = Setting(parsed, "sea", limits.seaShare);
    run.tick = parsed.IsSet("tick") ? static_cast<uint32_t>(Number(parsed, "tick", 0, UINT32_MAX))
                                    : SystemTickSource().Ticks();
    if (parsed.IsSet("erode")) run.erosion = Setting(parsed, "erode", limits.erosion);
    ReadWrap(parsed, run);
    ReadTilesAndPack(parsed.IsSet("tiles") ? parsed.Value("tiles") : std::string(), options,
                     limits.width.most);
}

// The input's size is the file's, but for .r16, which has none of its own;
// tiles and packs are checked against it once it is read.
void ReadErodeOptions(const Parsed& parsed, BatchOptions& options) {
    for (const char* name : {"roughness", "tick", "view"}) {
        if (parsed.IsSet(name)) throw EUsageError("erode takes no --" + std::string(name));
    }
    if (parsed.IsSet("sea") && parsed.IsSet("sea-level")) {
        throw EUsageError("--sea and --sea-level each set the sea: give one");
    }
    ReadOutputs(parsed, options);
    const bool raw = IsRawHeightmapName(options.input);
    if (!raw && !IsPngName(options.input) && !IsExrName(options.input)) {
        throw EUsageError(
            "erode reads a 16-bit grayscale PNG (.png), an .r16 or .raw file or an OpenEXR file "
            "(.exr), not '" +
            options.input + "'");
    }
    const SettingRange side{kSmallestInputSide, MapSize::kLargestSide};
    if (parsed.IsSet("width") || parsed.IsSet("height") || raw) {
        if (!raw) throw EUsageError("--width and --height are for an .r16 or .raw input's size");
        if (!parsed.IsSet("width") || !parsed.IsSet("height")) {
            throw EUsageError("an .r16 or .raw input needs --width and --height");
        }
        options.inputWidth = Setting(parsed, "width", side);
        options.inputHeight = Setting(parsed, "height", side);
    }
    const RunLimits limits = Limits();
    RunSettings& run = options.run;
    if (parsed.IsSet("sea")) run.seaShare = Setting(parsed, "sea", limits.seaShare);
    if (parsed.IsSet("sea-level")) {
        const std::string& text = parsed.Value("sea-level");
        options.seaLevel = DecimalNumber(text);
        if (!options.seaLevel) {
            throw EUsageError("--sea-level takes a height of the input, not '" + text + "'");
        }
    }
    run.erosion =
        parsed.IsSet("erode") ? Setting(parsed, "erode", limits.erosion) : limits.defaultErosion;
    ReadWrap(parsed, run);
    if (parsed.IsSet("tiles")) options.tilesAsked = parsed.Value("tiles");
}

}  // namespace

void FitToInput(BatchOptions& options) {
    ReadTilesAndPack(options.tilesAsked, options, MapSize::kLargestSide);
}

std::string MaskFileName(const std::string& prefix, Mask mask) {
    return prefix + "_" + std::string(MaskName(mask)) + ".png";
}

std::string PackFileName(const std::string& folder, const std::string& name) {
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

std::vector<std::string> BatchOptions::Files() const {
    std::vector<std::string> files;
    for (const std::string* name : {&output, &heightmap, &normal, &flow}) {
        if (!name->empty()) files.push_back(*name);
    }
    if (!masks.empty()) {
        for (const Mask mask : kMasks) files.push_back(MaskFileName(masks, mask));
    }
    if (preset) {
        for (const PackFile& file : PackFiles(*preset)) {
            files.push_back(PackFileName(pack, file.name));
        }
        files.push_back(PackFileName(pack, "README.txt"));
    }
    if (!json.empty()) files.push_back(json);
    return files;
}

std::vector<BatchOptions::LayerOutput> BatchOptions::LayerOutputs() const {
    std::vector<LayerOutput> outputs;
    if (!heightmap.empty()) {
        outputs.push_back(
            {"heightmap",
             heightmap,
             {IsFloatHeightsName(heightmap) ? LayerKind::kFloatHeights : LayerKind::kHeightmap}});
    }
    if (!normal.empty()) outputs.push_back({"normal", normal, {LayerKind::kNormal, normalY}});
    if (!flow.empty()) outputs.push_back({"flow", flow, {LayerKind::kFlow}});
    if (!masks.empty()) {
        for (const Mask mask : kMasks) {
            outputs.push_back(
                {"mask", MaskFileName(masks, mask), {LayerKind::kMask, NormalY::kUp, mask}});
        }
    }
    if (preset) {
        for (const PackFile& file : PackFiles(*preset)) {
            outputs.push_back({"pack", PackFileName(pack, file.name), file.kind});
        }
    }
    return outputs;
}

BatchOptions ParseBatchOptions(const std::vector<std::string>& arguments, const RunLimits& limits) {
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
        ReadGenerateOptions(parsed, options, limits);
    } else if (plain[0] == "erode") {
        options.command = BatchOptions::Command::kErode;
        if (plain.size() != 2 || plain[1].empty()) throw EUsageError("erode needs one INPUT");
        options.input = plain[1];
        ReadErodeOptions(parsed, options);
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
