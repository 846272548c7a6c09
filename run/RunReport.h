#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "components/ReducedImage/ColourReduction.h"
#include "layers/TerrainScale.h"
#include "run/MapRun.h"

namespace morvik {

// What a run tells when it is done, "key: value" a line or one JSON object,
// the same from every front end.
class RunReport {
  public:
    void Value(const char* key, long long value);
    void Name(const char* key, const std::string& file);
    void Reduction(const morvik::Reduction& reduction, const std::vector<std::string>& files);

    // A finished run's own figures: its tick and circles where it made its
    // land (not for heights of one's own), its sea and its extremes.
    void Figures(const MapRun& run, bool generated, const HeightExtremes& extremes);

    std::string Text() const;

    // The same keys and values as one JSON object, each file's key with an
    // array of its names (its tiles, or the one file), then the terrain's
    // scale, its sea level in metres and every file written.
    std::string Json(const TerrainScale& scale, uint16_t seaLevel,
                     const std::vector<std::string>& files) const;

  private:
    using Entry = std::pair<std::string, std::variant<long long, std::string>>;
    std::vector<Entry> entries_;
};

}  // namespace morvik
