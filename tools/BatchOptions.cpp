#include "tools/BatchOptions.h"

#include <charconv>
#include <string_view>
#include <vector>

namespace morvik {

const char* const kBatchUsage =
    "usage: morvik-batch generate -o FILE [--width N] [--height N] [--roughness N] [--sea N]\n"
    "                             [--tick N] [--view colour|coastline] [--colors N]\n"
    "       morvik-batch reduce INPUT OUTPUT [--colors N]\n"
    "       morvik-batch --help\n"
    "\n"
    "generate  makes one map and saves it as a bitmap of at most --colors colours.\n"
    "          --width 1..1280 (160), --height 1..1024 (120), --roughness 1..5 (1),\n"
    "          --sea 1..9 tenths of the map (5), --view colour or coastline (colour).\n"
    "          --tick 0..4294967295 fixes the clock, so that a run can be repeated.\n"
    "reduce    reduces a BMP file to at most --colors colours.\n"
    "--colors  1..256 (256).\n";

namespace {

int64_t ParseInteger(std::string_view option, std::string_view text, int64_t lowest,
                     int64_t highest) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < lowest ||
        value > highest) {
        throw EUsageError(std::string(option) + " takes a whole number in " +
                          std::to_string(lowest) + ".." + std::to_string(highest) + ", not '" +
                          std::string(text) + "'");
    }
    return value;
}

QString FileName(std::string_view word) {
    return QString::fromLocal8Bit(word.data(), static_cast<qsizetype>(word.size()));
}

// Takes the options of a command, leaving its plain arguments.
std::vector<std::string_view> TakeOptions(const std::vector<std::string_view>& words,
                                          BatchOptions& options) {
    std::vector<std::string_view> plain;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string_view word = words[i];
        if (!word.starts_with("-") || word == "-") {
            plain.push_back(word);
            continue;
        }
        if (i + 1 == words.size()) throw EUsageError(std::string(word) + " needs a value");
        const std::string_view value = words[++i];
        const bool generating = options.command == BatchOptions::Command::Generate;
        if (word == "--colors") {
            options.colors = static_cast<int32_t>(ParseInteger(word, value, 1, 256));
        } else if (generating && word == "-o") {
            options.output = FileName(value);
        } else if (generating && word == "--width") {
            options.width = static_cast<int32_t>(ParseInteger(word, value, 1, 1280));
        } else if (generating && word == "--height") {
            options.height = static_cast<int32_t>(ParseInteger(word, value, 1, 1024));
        } else if (generating && word == "--roughness") {
            options.roughness = static_cast<int32_t>(ParseInteger(word, value, 1, 5));
        } else if (generating && word == "--sea") {
            options.seaShare = static_cast<int32_t>(ParseInteger(word, value, 1, 9));
        } else if (generating && word == "--tick") {
            options.tick = static_cast<uint32_t>(ParseInteger(word, value, 0, 4294967295));
        } else if (generating && word == "--view") {
            if (value != "colour" && value != "coastline") {
                throw EUsageError("--view is colour or coastline, not '" + std::string(value) +
                                  "'");
            }
            options.view =
                value == "colour" ? BatchOptions::View::Colour : BatchOptions::View::Coastline;
        } else {
            throw EUsageError("unknown option " + std::string(word));
        }
    }
    return plain;
}

}  // namespace

BatchOptions ParseBatchOptions(int argc, const char* const* argv) {
    if (argc < 1) throw EUsageError("no command given");
    const std::string_view command = argv[0];
    BatchOptions options;
    if (command == "--help" || command == "-h") {
        if (argc > 1) throw EUsageError("--help takes no arguments");
        return options;
    }
    const std::vector<std::string_view> words(argv + 1, argv + argc);
    if (command == "generate") {
        options.command = BatchOptions::Command::Generate;
        const std::vector<std::string_view> plain = TakeOptions(words, options);
        if (!plain.empty())
            throw EUsageError("unexpected argument '" + std::string(plain[0]) + "'");
        if (options.output.isEmpty()) throw EUsageError("generate needs -o FILE");
    } else if (command == "reduce") {
        options.command = BatchOptions::Command::Reduce;
        const std::vector<std::string_view> plain = TakeOptions(words, options);
        if (plain.size() != 2) throw EUsageError("reduce needs INPUT and OUTPUT");
        options.input = FileName(plain[0]);
        options.output = FileName(plain[1]);
    } else {
        throw EUsageError("unknown command '" + std::string(command) + "'");
    }
    return options;
}

}  // namespace morvik
