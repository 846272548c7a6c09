#include "run/MapRun.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "components/ReducedImage/BmpImage.h"
#include "landscape/ErodedLand.h"
#include "terrain/ERangeError.h"
#include "terrain/SeaLevel.h"

namespace morvik {

namespace {

const RunSettings& Checked(const RunSettings& settings, const RunLimits& limits) {
    CheckSettings(settings, limits);
    return settings;
}

}  // namespace

MapRun::MapRun(const RunSettings& settings, int32_t threads, const RunLimits& limits)
    : settings_(Checked(settings, limits)),
      threads_(std::max(threads, 1)),
      ticks_(std::make_unique<FixedTickSource>(settings.tick)),
      terrain_(std::make_unique<Terrain>(*ticks_, Size(), threads_)) {
    terrain_->BuildColourTable();
    terrain_->StartGeneration(Size(), settings.roughness, settings.seaShare, settings.width,
                              settings.height, settings.wrap);
}

namespace {

// Heights of any range as the generator's, 0..65535 in the same order,
// column by column; and the per mille of them at or below seaLevel.
struct GivenHeights {
    std::vector<int32_t> levels;
    int32_t seaTarget;
};
GivenHeights GivenAsLevels(MapSize size, std::span<const float> heights,
                           std::optional<double> seaLevel) {
    if (heights.size() != static_cast<std::size_t>(size.Cells())) {
        throw ERangeError("the heights given are not the map's size");
    }
    if (!std::all_of(heights.begin(), heights.end(), [](float h) { return std::isfinite(h); })) {
        throw ERangeError("the heights given are not all finite");
    }
    const auto [lowest, highest] = std::minmax_element(heights.begin(), heights.end());
    const double span = static_cast<double>(*highest) - *lowest;
    GivenHeights given{std::vector<int32_t>(heights.size()), 0};
    int64_t sea = 0;
    for (int32_t y = 0; y < size.Height(); ++y) {
        for (int32_t x = 0; x < size.Width(); ++x) {
            const float height = heights[static_cast<std::size_t>(y) * size.Width() + x];
            given.levels[static_cast<std::size_t>(x) * size.Height() + y] =
                span > 0 ? static_cast<int32_t>(std::lround((height - *lowest) / span * 65535)) : 0;
            if (seaLevel && height <= *seaLevel) ++sea;
        }
    }
    if (seaLevel && (sea == 0 || sea == size.Cells())) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "a sea level of %g leaves %s: the heights given are %g to %g", *seaLevel,
                      sea == 0 ? "no sea" : "no land", static_cast<double>(*lowest),
                      static_cast<double>(*highest));
        throw ERangeError(text);
    }
    // The erosion's sea is a share of at least a thousandth, and land as much.
    given.seaTarget = static_cast<int32_t>(std::clamp<int64_t>(sea * 1000 / size.Cells(), 1, 999));
    return given;
}

}  // namespace

MapRun::MapRun(const RunSettings& settings, std::span<const float> heights,
               std::optional<double> seaLevel, int32_t threads)
    : MapRun(settings, threads) {
    const GivenHeights given = GivenAsLevels(Size(), heights, seaLevel);
    for (int32_t x = 0; x < Size().Width(); ++x) {
        for (int32_t y = 0; y < Size().Height(); ++y) {
            terrain_->SetHeight(x, y,
                                given.levels[static_cast<std::size_t>(x) * Size().Height() + y]);
        }
    }
    if (seaLevel) seaTarget_ = given.seaTarget;
    step_ = RunStep::kErosion;
}

void MapRun::Require(RunStep step, const char* what) const {
    if (step_ != step) throw ERangeError(std::string("a run cannot ") + what + " now");
}

bool MapRun::TakeCircles(int32_t count, const IterationsReport& report) {
    Require(RunStep::kCircles, "take circles");
    terrain_->TakeIterations(Size(), count, report);
    const GenerationJob& job = terrain_->Job();
    if (job.IterationsDone < job.TotalIterations) return true;
    step_ = RunStep::kErosion;
    return false;
}

void MapRun::ShapeLand(const std::function<void(double share)>& progress) {
    Require(RunStep::kErosion, "shape the land");
    if (settings_.erosion) {
        seaTop_ = terrain_->ShapeLand([&](CellGrid& heights, int32_t seaTarget) {
            return ErodeLand(heights, Size(), seaTarget_.value_or(seaTarget),
                             {.amount = *settings_.erosion,
                              .wrap = settings_.wrap,
                              .threads = threads_,
                              .progress = progress},
                             traces_.get());
        });
    } else {
        seaTop_ = HighestSea(terrain_->Heights(), Size(),
                             seaTarget_.value_or(terrain_->Job().SeaTarget), threads_);
    }
    step_ = RunStep::kFinish;
}

void MapRun::KeepLayers() {
    if (step_ != RunStep::kCircles) Require(RunStep::kErosion, "keep its layers");
    if (settings_.erosion) traces_ = std::make_unique<ErosionTraces>(Size());
}

Heightmap MapRun::MakeHeightmap() {
    Require(RunStep::kFinish, "make its heightmap");
    return morvik::MakeHeightmap(terrain_->Heights(), Size(), seaTop_, threads_);
}

LandLayers MapRun::MakeLayers() {
    Require(RunStep::kFinish, "make its layers");
    return MakeLandLayers(terrain_->Heights(), Size(), seaTop_, settings_.wrap, traces_.get(),
                          threads_);
}

void MapRun::Finish() {
    Require(RunStep::kFinish, "finish");
    const SeaCellsReport count = [this](int32_t seaCells) {
        ++loweringPasses_;
        seaCells_ = seaCells;
    };
    if (settings_.erosion) {
        terrain_->FinishAtSea(Size(), seaTop_, count);
    } else {
        terrain_->FinishGeneration(Size(), count);
    }
    traces_.reset();
    step_ = RunStep::kDone;
}

void MapRun::Complete(const StepReport& report, const std::function<void()>& shaped) {
    const auto tell = [&](RunStep step, double share) {
        if (report) report(step, share);
    };
    if (step_ == RunStep::kCircles) {
        const int32_t total = terrain_->Job().TotalIterations;
        tell(RunStep::kCircles, static_cast<double>(Job().IterationsDone) / total);
        TakeCircles(total, [&](const GenerationJob& job) {
            tell(RunStep::kCircles, static_cast<double>(job.IterationsDone) / total);
        });
    }
    if (step_ == RunStep::kErosion) {
        std::function<void(double)> progress;
        if (settings_.erosion) {
            tell(RunStep::kErosion, 0);
            progress = [&](double share) { tell(RunStep::kErosion, share); };
        }
        ShapeLand(progress);
        if (shaped) shaped();
    }
    if (step_ == RunStep::kFinish) {
        tell(RunStep::kFinish, 0);
        Finish();
    }
    tell(RunStep::kDone, 1);
}

int32_t MapRun::LoweringPasses() const {
    Require(RunStep::kDone, "count its passes");
    return loweringPasses_;
}

int32_t MapRun::SeaCells() const {
    Require(RunStep::kDone, "count its sea");
    return seaCells_;
}

HeightExtremes MapRun::Extremes() const {
    Require(RunStep::kDone, "give its extremes");
    return FindExtremes(terrain_->Heights(), Size(), threads_);
}

HeightExtremes MapRun::Draw(const PixelView& pixels, MapView view, std::span<const uint8_t> water) {
    Require(RunStep::kDone, "be drawn");
    const HeightExtremes extremes = terrain_->RenderMap(pixels);
    if (view == MapView::kCoastline) terrain_->RenderCoastline(pixels);
    if (water.empty()) return extremes;
    if (water.size() != static_cast<std::size_t>(Size().Cells())) {
        throw ERangeError("the water to draw is not the map's size");
    }
    // The sea's surface is one of the map's colours already, so rivers
    // cost the reduction no colour of their own (the coastline one more).
    const uint32_t colour = pixels.Pixel(terrain_->Colours().Colour(0));
    for (int32_t y = 0; y < Size().Height(); ++y) {
        uint32_t* row = pixels.Row(y);
        const uint8_t* wet = &water[static_cast<std::size_t>(y) * Size().Width()];
        for (int32_t x = 0; x < Size().Width(); ++x) {
            if (wet[x] != 0) row[x] = colour;
        }
    }
    return extremes;
}

MapPicture MapRun::Picture(MapView view, std::span<const uint8_t> water) {
    // Past the headers, on a boundary of the pixels' own size.
    constexpr std::size_t kPixelsAt = 64;
    const MapSize size = Size();
    const auto pixelBytes = static_cast<std::size_t>(size.Cells()) * 4;
    MapPicture picture{ZeroedVector<uint8_t>(kPixelsAt + pixelBytes), {}};
    WriteBmpHeader({.bfSize = static_cast<int32_t>(picture.image.size()),
                    .bfOffBits = static_cast<int32_t>(kPixelsAt),
                    .biWidth = size.Width(),
                    .biHeight = size.Height(),
                    .biBitCount = 32,
                    .biSizeImage = static_cast<int32_t>(pixelBytes)},
                   picture.image);
    // The top row last in memory, blue first.
    auto* pixels = reinterpret_cast<uint32_t*>(picture.image.data() + kPixelsAt);
    const PixelView pixelView(
        pixels + static_cast<std::ptrdiff_t>(size.Height() - 1) * size.Width(),
        -static_cast<std::ptrdiff_t>(size.Width()), size, 0, ChannelOrder::kBlueFirst);
    picture.extremes = Draw(pixelView, view, water);
    return picture;
}

}  // namespace morvik
