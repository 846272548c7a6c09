#include "layers/TerrainMasks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include "terrain/ParallelFor.h"

namespace morvik {

namespace {

// What the splat weights are made by. Heights are shares of the land's
// height above the sea, slopes in degrees.
constexpr double kBeachTop = 0.03;  // sand fades out up to here
constexpr double kRockFrom = 28;    // rock takes over between these slopes
constexpr double kRockTo = 42;
constexpr double kWornRock = 0.75;  // the most-worn ground is this much rock
constexpr double kSnowFrom = 0.65;  // snow takes over between these heights
constexpr double kSnowTo = 0.8;
constexpr double kSnowSlidesFrom = 40;  // and slides off between these slopes
constexpr double kSnowSlidesTo = 55;

// The samples a share is measured on, at most.
constexpr std::size_t kSamples = std::size_t{1} << 20;

double SmoothStep(double from, double to, double value) {
    const double t = std::clamp((value - from) / (to - from), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// The value below which all but a hundredth of the positive values lie,
// measured on evenly spread cells; 0 for none.
double Deepest(const ZeroedVector<float>& values) {
    const std::size_t stride = SampleStride(static_cast<int64_t>(values.size()));
    std::vector<float> positive;
    for (std::size_t cell = 0; cell < values.size(); cell += stride) {
        if (values[cell] > 0) positive.push_back(values[cell]);
    }
    return DeepestOfSamples(std::move(positive));
}

// Weights that add up to 1 as whole 255ths that add up to 255: each rounded
// down, and what is left given to the largest remainders.
SplatWeights Quantised(const std::array<double, 4>& weights) {
    SplatWeights whole{};
    std::array<double, 4> rest{};
    int32_t sum = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const double scaled = std::clamp(weights[i], 0.0, 1.0) * 255;
        whole[i] = static_cast<uint8_t>(std::floor(scaled));
        rest[i] = scaled - whole[i];
        sum += whole[i];
    }
    for (; sum < 255; ++sum) {
        const auto largest = std::max_element(rest.begin(), rest.end()) - rest.begin();
        ++whole[largest];
        rest[largest] = -1;
    }
    return whole;
}

}  // namespace

std::size_t SampleStride(int64_t cells) {
    return std::max<std::size_t>(1, static_cast<std::size_t>(cells) / kSamples);
}

double DeepestOfSamples(std::vector<float> samples) {
    if (samples.empty()) return 0;
    const auto at = samples.begin() + static_cast<std::ptrdiff_t>(samples.size() * 99 / 100);
    std::nth_element(samples.begin(), at, samples.end());
    return *at;
}

MaskScales ScalesOf(const LandLayers& layers) {
    return {*std::max_element(layers.heights.begin(), layers.heights.end()),
            Deepest(layers.deposit), Deepest(layers.wear)};
}

std::string_view MaskName(Mask mask) {
    constexpr std::array<std::string_view, kMasks.size()> kNames{
        "water", "deposit", "wear", "slope", "sand", "grass", "rock", "snow"};
    return kNames[static_cast<std::size_t>(mask)];
}

TerrainMasks::TerrainMasks(const LandLayers& layers, const TerrainScale& scale,
                           std::span<const uint8_t> water, int32_t threads)
    : TerrainMasks(layers, scale, water, threads, ScalesOf(layers)) {}

TerrainMasks::TerrainMasks(const LandLayers& layers, const TerrainScale& scale,
                           std::span<const uint8_t> water, int32_t threads,
                           const MaskScales& scales)
    : layers_(layers),
      scale_(scale),
      water_(water),
      deepestDeposit_(scales.deepestDeposit),
      deepestWear_(scales.deepestWear),
      highest_(scales.highest),
      weights_(layers.heights.size()) {
    const MapSize size = layers.Size();
    ParallelFor(size.Height(), threads, [&](int32_t y) {
        for (int32_t x = 0; x < size.Width(); ++x) weights_[layers.Index(x, y)] = Weigh(x, y);
    });
}

double TerrainMasks::Share(const ZeroedVector<float>& values, double deepest,
                           std::size_t cell) const {
    if (deepest <= 0 || layers_.IsSea(cell)) return 0;
    return std::sqrt(std::clamp(values[cell] / deepest, 0.0, 1.0));
}

SplatWeights TerrainMasks::Weigh(int32_t x, int32_t y) const {
    const std::size_t cell = layers_.Index(x, y);
    if (layers_.IsSea(cell)) return {255, 0, 0, 0};
    const double seaLevel = layers_.heightmap.seaLevel;
    const double height =
        highest_ > seaLevel ? (layers_.heights[cell] - seaLevel) / (highest_ - seaLevel) : 0;
    const double slope = SlopeDegrees(GradientAt(layers_, scale_, x, y));
    const double rock = std::max(SmoothStep(kRockFrom, kRockTo, slope),
                                 kWornRock * Share(layers_.wear, deepestWear_, cell));
    const double snow = (1 - rock) * SmoothStep(kSnowFrom, kSnowTo, height) *
                        (1 - SmoothStep(kSnowSlidesFrom, kSnowSlidesTo, slope));
    const double beach = 1 - SmoothStep(0, kBeachTop, height);
    const double sand =
        (1 - rock - snow) * std::max(beach, Share(layers_.deposit, deepestDeposit_, cell));
    return Quantised({sand, 1 - rock - snow - sand, rock, snow});
}

uint8_t TerrainMasks::Value(Mask mask, int32_t x, int32_t y) const {
    const std::size_t cell = layers_.Index(x, y);
    const auto byte = [](double share) {
        return static_cast<uint8_t>(std::lround(std::clamp(share, 0.0, 1.0) * 255));
    };
    switch (mask) {
        case Mask::kWater:
            return !water_.empty() && water_[cell] != 0 ? 255 : 0;
        case Mask::kDeposit:
            return byte(Share(layers_.deposit, deepestDeposit_, cell));
        case Mask::kWear:
            return byte(Share(layers_.wear, deepestWear_, cell));
        case Mask::kSlope:
            return byte(SlopeDegrees(GradientAt(layers_, scale_, x, y)) / 90);
        case Mask::kSand:
        case Mask::kGrass:
        case Mask::kRock:
        case Mask::kSnow:
            break;
    }
    const auto index =
        std::find(kSplatMasks.begin(), kSplatMasks.end(), mask) - kSplatMasks.begin();
    return WeightsAt(x, y)[static_cast<std::size_t>(index)];
}

void TerrainMasks::Row(Mask mask, int32_t y, int32_t left, std::span<uint8_t> values) const {
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = Value(mask, left + static_cast<int32_t>(i), y);
    }
}

}  // namespace morvik
