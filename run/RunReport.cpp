#include "run/RunReport.h"

namespace morvik {

void RunReport::Value(const char* key, long long value) { entries_.emplace_back(key, value); }

void RunReport::Name(const char* key, const std::string& file) { entries_.emplace_back(key, file); }

void RunReport::Reduction(const morvik::Reduction& reduction,
                          const std::vector<std::string>& files) {
    Value("source_colors", reduction.sourceColours);
    Value("color_count", reduction.colourCount);
    Value("levels", reduction.levels);
    for (const std::string& file : files) Name("output", file);
}

void RunReport::Figures(const MapRun& run, bool generated, const HeightExtremes& extremes) {
    if (generated) {
        Value("tick", run.Settings().tick);
        Value("total_iterations", run.Job().TotalIterations);
    }
    Value("sea_target", run.SeaTarget());
    Value("lowering_passes", run.LoweringPasses());
    Value("sea_cells", run.SeaCells());
    Value("highest", extremes.highest);
    Value("lowest", extremes.lowest);
}

std::string RunReport::Text() const {
    std::string text;
    for (const auto& [key, value] : entries_) {
        text.append(key).append(": ");
        text.append(std::holds_alternative<long long>(value)
                        ? std::to_string(std::get<long long>(value))
                        : std::get<std::string>(value));
        text.append("\n");
    }
    return text;
}

std::string RunReport::Json(const TerrainScale& scale, uint16_t seaLevel,
                            const std::vector<std::string>& files) const {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (const auto& [key, value] : entries_) {
        if (std::holds_alternative<long long>(value)) {
            object[key] = std::get<long long>(value);
            continue;
        }
        if (!object.contains(key)) object[key] = nlohmann::ordered_json::array();
        object[key].push_back(std::get<std::string>(value));
    }
    object["relief"] = scale.relief;
    object["cell"] = scale.cell;
    object["sea_level_metres"] = scale.Metres(seaLevel);
    object["files"] = files;
    // File names are bytes: one that is no UTF-8 is written with U+FFFD
    // where its bytes make no character.
    return object.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace morvik
