#include "run/RunSettings.h"

#include <algorithm>
#include <string>

#include "landscape/ErosionSettings.h"
#include "terrain/ERangeError.h"
#include "terrain/GenerationJob.h"

namespace morvik {

RunLimits Limits() {
    return {.width = {1, MapSize::kLargestSide},
            .height = {1, MapSize::kLargestSide},
            .roughness = {kLeastRoughness, kMostRoughness},
            .seaShare = {kLeastSeaShare, kMostSeaShare},
            .erosion = {kLeastErosion, kMostErosion},
            .defaults = {.width = kSmallestProgramMap.Width(),
                         .height = kSmallestProgramMap.Height(),
                         .roughness = kFirstRoughness,
                         .seaShare = kFirstSeaShare,
                         .tick = 0},
            .defaultErosion = kDefaultErosion};
}

RunLimits WorldLimits() {
    RunLimits limits = Limits();
    limits.width.most = WorldSize::kLargestSide;
    limits.height.most = WorldSize::kLargestSide;
    return limits;
}

RunLimits WindowLimits() {
    RunLimits limits = Limits();
    limits.width = {kSmallestProgramMap.Width(), kLargestProgramMap.Width()};
    limits.height = {kSmallestProgramMap.Height(), kLargestProgramMap.Height()};
    return limits;
}

namespace {

void Check(const char* name, int64_t value, SettingRange range) {
    if (range.Holds(value)) return;
    throw ERangeError(std::string(name) + " is " + std::to_string(value) + ", outside " +
                      std::to_string(range.least) + ".." + std::to_string(range.most));
}

}  // namespace

void CheckSettings(const RunSettings& settings, const RunLimits& limits) {
    Check("the width", settings.width, limits.width);
    Check("the height", settings.height, limits.height);
    Check("the roughness", settings.roughness, limits.roughness);
    Check("the sea share", settings.seaShare, limits.seaShare);
    if (settings.erosion) Check("the erosion", *settings.erosion, limits.erosion);
}

int64_t SmallestFullTick(WorldSize size) {
    return 3 * int64_t{std::max(size.Width(), size.Height())};
}

}  // namespace morvik
