#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "landscape/ErosionTraces.h"
#include "layers/LandLayers.h"
#include "run/RunSettings.h"
#include "terrain/Heightmap.h"
#include "terrain/PixelView.h"
#include "terrain/Terrain.h"
#include "terrain/TickSource.h"
#include "terrain/ZeroedVector.h"

namespace morvik {

// How the finished map is drawn: in its colours, or its coastline alone.
enum class MapView { kColour, kCoastline };

// The steps of a run, in their order.
enum class RunStep { kCircles, kErosion, kFinish, kDone };

// Told the step a run is in and the share of it done, 0..1.
using StepReport = std::function<void(RunStep step, double share)>;

// The finished map as a 32-bit BMP file image, bottom-up, as the map view
// shows it; and the extremes the colours met.
struct MapPicture {
    ZeroedVector<uint8_t> image;
    HeightExtremes extremes;
};

// One run of the generator, from its settings to its products, in steps a
// front end can take a batch at a time: the circles, the erosion (if the
// settings ask for it), the finish. Its products are the same whatever the
// batches and the number of threads. A step taken out of its order throws
// ERangeError.
class MapRun {
  public:
    // Throws ERangeError, naming the setting, for settings beyond `limits`.
    explicit MapRun(const RunSettings& settings, int32_t threads = 1,
                    const RunLimits& limits = Limits());
    // A run of the erosion alone, on heights of one's own, row by row from
    // the top: its circles are taken, and its sea is the settings' share of
    // the cells or, given seaLevel, the cells at or below it, to a thousandth
    // of the map. Throws ERangeError as above, and for heights that are not
    // the settings' size or not finite.
    MapRun(const RunSettings& settings, std::span<const float> heights,
           std::optional<double> seaLevel, int32_t threads = 1);
    // The generator reads the run's own clock: a run stays where it is made.
    MapRun(const MapRun&) = delete;
    MapRun& operator=(const MapRun&) = delete;

    const RunSettings& Settings() const { return settings_; }
    MapSize Size() const { return settings_.Size(); }
    const GenerationJob& Job() const { return terrain_->Job(); }
    RunStep Step() const { return step_; }
    // The per mille of the cells that is to be sea.
    int32_t SeaTarget() const { return seaTarget_.value_or(Job().SeaTarget); }

    // Up to `count` more circles, `report` told after each batch of them;
    // whether any remain.
    bool TakeCircles(int32_t count, const IterationsReport& report = {});

    // Once every circle is taken: the erosion, if asked for, told the share
    // done. It sets which heights are to be sea; without it the finish does.
    void ShapeLand(const std::function<void(double share)>& progress = {});

    // Before ShapeLand: the erosion keeps what MakeLayers needs of it, which
    // costs 12 bytes a cell more.
    void KeepLayers();

    // Between ShapeLand and Finish: the heights as the 16-bit heightmap; or
    // that and the land's other layers, finer when the erosion kept them.
    Heightmap MakeHeightmap();
    LandLayers MakeLayers();

    // The finish: the heights rescaled and the sea set.
    void Finish();

    // Every step still to take, each reported; `shaped` is called between
    // the erosion and the finish, where MakeHeightmap may be called.
    void Complete(const StepReport& report = {}, const std::function<void()>& shaped = {});

    // Once finished: the finish's lowering passes and the sea cells after
    // the last.
    int32_t LoweringPasses() const;
    int32_t SeaCells() const;
    // Once finished: the highest and lowest height, as Draw meets them.
    HeightExtremes Extremes() const;

    // Once finished: the map drawn into `pixels`, with the extremes the
    // colours met; or as a BMP file image. `water` (WaterCells', or none)
    // is drawn over the land in the sea's own colour.
    HeightExtremes Draw(const PixelView& pixels, MapView view, std::span<const uint8_t> water = {});
    MapPicture Picture(MapView view, std::span<const uint8_t> water = {});

  private:
    void Require(RunStep step, const char* what) const;

    RunSettings settings_;
    int32_t threads_;
    std::unique_ptr<FixedTickSource> ticks_;
    std::unique_ptr<Terrain> terrain_;
    std::unique_ptr<ErosionTraces> traces_;
    RunStep step_ = RunStep::kCircles;
    std::optional<int32_t> seaTarget_;  // per mille, in place of the circles' run's
    int32_t seaTop_ = 0;                // once shaped: the highest height that is sea
    int32_t loweringPasses_ = 0;
    int32_t seaCells_ = 0;
};

}  // namespace morvik
