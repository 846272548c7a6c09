#include "tools/BatchOptions.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <string>

#include "tools/OutputFiles.h"

namespace morvik {

namespace {

QString Range(int64_t lowest, int64_t highest) {
    return QString("%1..%2").arg(lowest).arg(highest);
}

// --erode with its AMOUNT after "=", which the parser then reads as any
// option's value: the next argument if it is a number, else the default.
QStringList WithErosionAmounts(QStringList arguments) {
    for (qsizetype at = 1; at < arguments.size(); ++at) {
        if (arguments[at] == "--") break;
        if (arguments[at] != "--erode") continue;
        bool isNumber = false;
        if (at + 1 < arguments.size()) arguments[at + 1].toLongLong(&isNumber);
        arguments[at] +=
            "=" + (isNumber ? arguments.takeAt(at + 1) : QString::number(kDefaultErosion));
    }
    return arguments;
}

}  // namespace

std::string BatchUsage() {
    return QStringLiteral(
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
               "goes to standard error. Devices and FIFOs are written to, never replaced.\n"
               "Options take their value as the next argument or after '=' (--width=300).\n")
        .arg(Range(1, MapSize::kLargestSide))
        .arg(kSmallestProgramMap.Width())
        .arg(kSmallestProgramMap.Height())
        .arg(Range(kLeastRoughness, kMostRoughness))
        .arg(kFirstRoughness)
        .arg(Range(kLeastSeaShare, kMostSeaShare))
        .arg(kFirstSeaShare)
        .arg(Range(0, UINT32_MAX))
        .arg(MapSize::kLargestSide)
        .arg(Range(kFewestRequested, kMostRequested))
        .arg(kMostRequested)
        .arg(Range(kLeastErosion, kMostErosion))
        .arg(kDefaultErosion)
        .arg(Range(1, kMostTiles))
        .toStdString();
}

namespace {

struct Options {
    QCommandLineOption output{{"o", "output"}, "", "FILE"};
    QCommandLineOption heightmap{"heightmap", "", "FILE"};
    QCommandLineOption width{"width", "", "N"};
    QCommandLineOption height{"height", "", "N"};
    QCommandLineOption roughness{"roughness", "", "N"};
    QCommandLineOption sea{"sea", "", "N"};
    QCommandLineOption tick{"tick", "", "N"};
    QCommandLineOption erode{"erode", "", "AMOUNT"};
    QCommandLineOption wrap{"wrap", "", "AXES"};
    QCommandLineOption tiles{"tiles", "", "NxM"};
    QCommandLineOption view{"view", "", "NAME"};
    QCommandLineOption colours{"colors", "", "N"};
    QCommandLineOption quiet{{"q", "quiet"}};
    QCommandLineOption help{{"h", "help"}};
    QCommandLineOption version{{"v", "version"}};
};

int64_t Number(const QCommandLineParser& parser, const QCommandLineOption& option, int64_t lowest,
               int64_t highest, const std::string& why = {}) {
    const QString text = parser.value(option);
    bool isNumber = false;
    const int64_t value = text.toLongLong(&isNumber);
    if (!isNumber || value < lowest || value > highest) {
        throw EUsageError("--" + option.names().constLast().toStdString() +
                          " takes a whole number in " + std::to_string(lowest) + ".." +
                          std::to_string(highest) + why + ", not '" + text.toStdString() + "'");
    }
    return value;
}

// "--tiles NxM" for a map of the options' size, written to files.
TileGrid ReadTiles(const QString& text, const BatchOptions& options) {
    static const QRegularExpression shape("^([0-9]{1,3})x([0-9]{1,3})$");
    const QRegularExpressionMatch counts = shape.match(text);
    const TileGrid grid{counts.hasMatch() ? counts.captured(1).toInt() : 0,
                        counts.hasMatch() ? counts.captured(2).toInt() : 0};
    if (grid.across < 1 || grid.down < 1 || grid.across > kMostTiles || grid.down > kMostTiles) {
        throw EUsageError("--tiles takes NxM, each in " + Range(1, kMostTiles).toStdString() +
                          ", not '" + text.toStdString() + "'");
    }
    if (options.output == "-" || options.heightmap == "-") {
        throw EUsageError("--tiles writes files, not standard output (-)");
    }
    const MapSize size(options.width, options.height);
    if (SplitsEvenly(size, grid) && (grid.across == 1 || grid.across < options.width) &&
        (grid.down == 1 || grid.down < options.height)) {
        return grid;
    }
    std::string why = "--tiles " + text.toStdString() + " needs width - 1 to divide by " +
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
    nearest("width", options.width, grid.across);
    nearest("height", options.height, grid.down);
    throw EUsageError(why);
}

void ReadGenerateOptions(const QCommandLineParser& parser, const Options& o,
                         BatchOptions& options) {
    options.output = parser.value(o.output);
    options.heightmap = parser.value(o.heightmap);
    if (options.output.isEmpty() && options.heightmap.isEmpty()) {
        throw EUsageError("generate needs -o FILE, --heightmap FILE or both");
    }
    if (!options.heightmap.isEmpty() && options.heightmap != "-" &&
        !IsHeightmapName(options.heightmap)) {
        throw EUsageError("--heightmap FILE ends in .png, .r16 or .raw, or is -, not '" +
                          options.heightmap.toStdString() + "'");
    }
    if (!options.output.isEmpty() && !options.heightmap.isEmpty() &&
        NameTheSameFile(options.output, options.heightmap)) {
        throw EUsageError(options.output == "-"
                              ? std::string("only one output can be standard output (-)")
                              : "-o and --heightmap name the same file, '" +
                                    options.heightmap.toStdString() + "'");
    }
    if (parser.isSet(o.width)) options.width = Number(parser, o.width, 1, MapSize::kLargestSide);
    if (parser.isSet(o.height)) {
        options.height = Number(parser, o.height, 1, MapSize::kLargestSide);
    }
    if (parser.isSet(o.roughness)) {
        options.roughness = Number(parser, o.roughness, kLeastRoughness, kMostRoughness);
    }
    if (parser.isSet(o.sea)) {
        options.seaShare = Number(parser, o.sea, kLeastSeaShare, kMostSeaShare);
    }
    if (parser.isSet(o.tick)) options.tick = Number(parser, o.tick, 0, UINT32_MAX);
    if (parser.isSet(o.erode)) {
        options.erosion =
            static_cast<int32_t>(Number(parser, o.erode, kLeastErosion, kMostErosion));
    }
    if (parser.isSet(o.wrap)) {
        const QString wrap = parser.value(o.wrap);
        if (wrap != "x" && wrap != "xy") {
            throw EUsageError("--wrap is x or xy, not '" + wrap.toStdString() + "'");
        }
        options.wrap = wrap == "x" ? Wrap::kX : Wrap::kXY;
    }
    if (parser.isSet(o.tiles)) options.tiles = ReadTiles(parser.value(o.tiles), options);
    if (parser.isSet(o.view)) {
        const QString view = parser.value(o.view);
        if (view != "colour" && view != "coastline") {
            throw EUsageError("--view is colour or coastline, not '" + view.toStdString() + "'");
        }
        options.view =
            view == "colour" ? BatchOptions::View::kColour : BatchOptions::View::kCoastline;
    }
}

}  // namespace

BatchOptions ParseBatchOptions(const QStringList& arguments) {
    const Options o;
    QCommandLineParser parser;
    parser.addOptions({o.output, o.heightmap, o.width, o.height, o.roughness, o.sea, o.tick,
                       o.erode, o.wrap, o.tiles, o.view, o.colours, o.quiet, o.help, o.version});
    if (!parser.parse(WithErosionAmounts(arguments)))
        throw EUsageError(parser.errorText().toStdString());

    BatchOptions options;
    const QStringList plain = parser.positionalArguments();
    if (parser.isSet(o.help) || parser.isSet(o.version)) {
        if (!plain.isEmpty()) throw EUsageError("--help and --version take no command");
        options.command =
            parser.isSet(o.help) ? BatchOptions::Command::kHelp : BatchOptions::Command::kVersion;
        return options;
    }
    if (plain.isEmpty()) throw EUsageError("no command given");
    options.quiet = parser.isSet(o.quiet);
    if (parser.isSet(o.colours)) {
        options.colours = Number(
            parser, o.colours, kFewestRequested, kMostRequested,
            " (a reduction keeps at least " + std::to_string(kFewestRequested) + " colours)");
    }
    if (plain[0] == "generate") {
        options.command = BatchOptions::Command::kGenerate;
        if (plain.size() > 1) {
            throw EUsageError("unexpected argument '" + plain[1].toStdString() + "'");
        }
        ReadGenerateOptions(parser, o, options);
    } else if (plain[0] == "reduce") {
        options.command = BatchOptions::Command::kReduce;
        if (plain.size() != 3) throw EUsageError("reduce needs INPUT and OUTPUT");
        for (const QCommandLineOption* only :
             {&o.output, &o.heightmap, &o.width, &o.height, &o.roughness, &o.sea, &o.tick, &o.erode,
              &o.wrap, &o.tiles, &o.view}) {
            if (parser.isSet(*only)) {
                throw EUsageError("reduce takes no --" + only->names().constLast().toStdString());
            }
        }
        if (plain[1].isEmpty() || plain[2].isEmpty()) {
            throw EUsageError("reduce needs INPUT and OUTPUT file names");
        }
        options.input = plain[1];
        options.output = plain[2];
    } else {
        throw EUsageError("unknown command '" + plain[0].toStdString() + "'");
    }
    return options;
}

}  // namespace morvik
