#include "world/WorldErosion.h"

#include <algorithm>
#include <cmath>

#include "landscape/BoxMean.h"
#include "landscape/Drainage.h"
#include "landscape/Hillslopes.h"
#include "landscape/LandSurface.h"
#include "landscape/LateralErosion.h"
#include "landscape/ReceiverTree.h"
#include "landscape/RockUplift.h"
#include "landscape/SedimentDeposition.h"
#include "landscape/StreamPowerIncision.h"
#include "world/WindowExtremes.h"
#include "world/WindowFill.h"
#include "world/WindowPasses.h"
#include "world/WorldBreach.h"
#include "world/WorldSea.h"

namespace morvik {

namespace {

// Where a window lies in the world, and its part's cells in it.
GridPart PartOf(const PartWindows& parts, const PartWindow& window) {
    const WorldSize world = parts.World();
    return {
        {int64_t{window.region.left} - window.left, world.Width(), WrapsColumns(parts.WorldWrap())},
        {int64_t{window.region.top} - window.above, world.Height(), WrapsRows(parts.WorldWrap())},
        window.left,
        window.left + window.region.size.Width(),
        window.above,
        window.above + window.region.size.Height()};
}

CellPlaces PlacesOf(const PartWindows& parts, const PartWindow& window) {
    return {int64_t{window.region.left} - window.left, int64_t{window.region.top} - window.above,
            parts.World().Width(), parts.World().Height()};
}

// The surfaces' heights, as the exchange takes a window's cells.
std::vector<float*> HeightsOf(std::vector<LandSurface>& lands) {
    std::vector<float*> heights;
    for (LandSurface& land : lands) heights.push_back(land.heights.data());
    return heights;
}

// EvolveLandscape over the windows' surfaces, rings in place.
class WorldEvolution {
  public:
    WorldEvolution(const PartWindows& parts, std::vector<LandSurface>& lands, float seaLevel,
                   const ErosionSettings& settings, std::vector<ErosionTraces>* traces,
                   const RankLinks& links)
        : parts_(parts),
          windows_(parts.Windows()),
          lands_(lands),
          seaLevel_(seaLevel),
          settings_(settings),
          traces_(traces),
          links_(links) {}

    void Run() {
        const ErosionSettings& settings = settings_;
        const int32_t steps = settings.Steps();
        const float time = settings.StepTime();
        const std::vector<RockUplift> uplift = Uplift(settings.uplift * settings.erodibility);
        const AreaPower areaPower(settings.areaExponent);
        std::vector<ReceiverTree> trees;
        std::vector<ZeroedVector<float>> scratch;
        std::vector<ZeroedVector<float>> sediment;
        for (const PartWindow& window : windows_) {
            trees.emplace_back(window.size, Wrap::kNone);
            scratch.emplace_back(static_cast<std::size_t>(window.size.Cells()));
            sediment.emplace_back(static_cast<std::size_t>(window.size.Cells()));
        }
        const WorldSize world = parts_.World();
        const float talusSlope =
            settings.talusSlope *
            std::max(WorldExtremes(parts_, lands_, links_).highest - seaLevel_, 0.0F) /
            static_cast<float>(std::max(world.Width(), world.Height()));
        const float spread = settings.diffusivity * time;
        for (int32_t step = 0; step < steps; ++step) {
            const SurfaceExtremes extremes = WorldExtremes(parts_, lands_, links_);
            const float leastDrop =
                settings.leastDrop * (extremes.highest - extremes.lowest) / kDrainableTop;
            for (std::size_t i = 0; i < windows_.size(); ++i) {
                trees[i].Route(lands_[i], seaLevel_, static_cast<uint32_t>(step), 1,
                               PlacesOf(parts_, windows_[i]));
            }
            if (spread > 0) {
                for (std::size_t i = 0; i < windows_.size(); ++i) {
                    Creep(lands_[i], seaLevel_, spread, PartOf(parts_, windows_[i]), scratch[i],
                          sediment[i], 1);
                }
                ExchangeHeights();
            }
            for (int32_t pass = 0; pass < settings.talusPasses; ++pass) {
                for (std::size_t i = 0; i < windows_.size(); ++i) {
                    TalusPass(lands_[i], seaLevel_, talusSlope, pass == 0, Wrap::kNone, sediment[i],
                              1);
                }
                ExchangeHeights();
            }
            const std::vector<ZeroedVector<float>> area = AccumulateWindows(parts_, trees, links_);
            const Incision incision{.seaLevel = seaLevel_,
                                    .leastDrop = leastDrop,
                                    .erodibility = settings.erodibility * time,
                                    .channelArea = settings.channelArea,
                                    .time = time};
            UpstreamWindows(
                parts_, trees, links_,
                [&](std::size_t i, int32_t cell) {
                    IncideCell(lands_[i], area[i], areaPower, uplift[i], incision, trees[i],
                               sediment[i], cell);
                },
                [&] { ExchangeHeights(); });
            const ValleyFloors floors{.riverArea = settings.floorArea,
                                      .share = std::min(1.0F, settings.lateralErosion * time),
                                      .floorRise = settings.floorRise * leastDrop};
            for (std::size_t i = 0; i < windows_.size(); ++i) {
                WidenValleyFloors(lands_[i], area[i], seaLevel_, floors, trees[i], sediment[i], 1);
                if (traces_) {
                    // What each cell lost this step is the sediment it starts with.
                    ZeroedVector<float>& wear = (*traces_)[i].wear.heights;
                    windows_[i].ForEachOwned(
                        [&](int32_t cell) { wear[cell] += sediment[i][cell]; });
                }
            }
            const Deposition deposition{.seaLevel = seaLevel_,
                                        .leastDrop = leastDrop,
                                        .landShare = settings.deposition,
                                        .channelArea = settings.channelArea,
                                        .seaShare = settings.seaDeposition};
            DownstreamWindows(
                parts_, trees, links_,
                [&](std::size_t i, int32_t cell) {
                    DepositOnCell(lands_[i], area[i], deposition, trees[i], sediment[i],
                                  traces_ ? &(*traces_)[i].deposit.heights : nullptr, cell);
                },
                [&] {
                    ExchangeHeights();
                    parts_.Exchange(sediment, links_);
                });
            if (settings.progress) settings.progress(static_cast<double>(step + 1) / steps);
        }
    }

  private:
    void ExchangeHeights() {
        std::vector<float*> heights = HeightsOf(lands_);
        parts_.Exchange(heights, links_);
    }

    // RockUplift's, its means taken box by box with the rings brought
    // between.
    std::vector<RockUplift> Uplift(float rate) {
        const float relief =
            std::max(WorldExtremes(parts_, lands_, links_).highest - seaLevel_, 0.0F);
        std::vector<LandSurface> ground;
        for (std::size_t i = 0; i < windows_.size(); ++i) {
            LandSurface& cells = ground.emplace_back(windows_[i].size);
            for (std::size_t cell = 0; cell < cells.heights.size(); ++cell) {
                cells.heights[cell] = std::max(lands_[i].heights[cell] - seaLevel_, 0.0F);
            }
        }
        float highest = 0;
        if (relief > 0) {
            ZeroedVector<float> scratch;
            for (int32_t pass = 0; pass < 2; ++pass) {
                for (std::size_t i = 0; i < windows_.size(); ++i) {
                    scratch.resize(ground[i].heights.size());
                    RockUplift::MeanOnce(ground[i], settings_.upliftReach,
                                         PartOf(parts_, windows_[i]), scratch, 1);
                }
                std::vector<float*> means = HeightsOf(ground);
                parts_.Exchange(means, links_);
            }
            highest = WorldExtremes(parts_, ground, links_).highest;
        }
        std::vector<RockUplift> uplift;
        for (const LandSurface& means : ground) {
            uplift.emplace_back(means, relief, highest, rate, settings_.lowlandUplift, 1);
        }
        return uplift;
    }

    const PartWindows& parts_;
    const std::vector<PartWindow>& windows_;
    std::vector<LandSurface>& lands_;
    float seaLevel_;
    const ErosionSettings& settings_;
    std::vector<ErosionTraces>* traces_;
    const RankLinks& links_;
};

// Whether every land cell of every window away from the world's edge
// already has a lower neighbour.
bool WorldDrains(const PartWindows& parts, const std::vector<CellGrid>& levels, int32_t seaTop,
                 const RankLinks& links) {
    bool drains = true;
    for (std::size_t i = 0; i < parts.Windows().size() && drains; ++i) {
        const PartWindow& window = parts.Windows()[i];
        const int32_t rows = window.size.Height();
        window.ForEachOwned([&](int32_t cell) {
            const int32_t height = levels[i][cell];
            if (height <= seaTop || parts.OnWorldEdge(window, cell / rows, cell % rows)) return;
            bool lower = false;
            window.ForEachNeighbour(
                cell, [&](int32_t neighbour) { lower |= levels[i][neighbour] < height; });
            drains &= lower;
        });
    }
    return !links.Any(!drains);
}

}  // namespace

int32_t ErosionRing(const ErosionSettings& settings) {
    const int32_t reach =
        std::max(settings.upliftReach, CreepReach(settings.diffusivity * settings.StepTime()));
    return std::max(2, kBoxRestart - 1 + reach);
}

int32_t ErodeWorld(const PartWindows& parts, std::vector<CellGrid>& heights, int32_t seaTarget,
                   const ErosionSettings& settings, std::vector<ErosionTraces>* traces,
                   const RankLinks& links) {
    const std::vector<PartWindow>& windows = parts.Windows();
    parts.Exchange(heights, links);
    int32_t seaTop = 0;
    {
        std::vector<LandSurface> ranked = RankWorldSea(parts, heights, seaTarget, links);
        const float rankedSea = 0.25F;
        const SurfaceExtremes extremes = WorldExtremes(parts, ranked, links);
        for (std::size_t i = 0; i < windows.size(); ++i) {
            seaTop = WriteWholeLevels(ranked[i], rankedSea, kDrainableTop, extremes, heights[i], 1);
        }
        parts.Exchange(heights, links);
    }
    // The circles' hollows keep their floors and get a way out cut through
    // their rims, which the model then wears into valleys.
    BreachWindows(parts, heights, seaTop, links);
    std::vector<LandSurface> lands;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        lands.push_back(SurfaceOfLevels(heights[i], windows[i].size, 1));
    }
    const float seaLevel = SeaLevelAbove(seaTop);
    WorldEvolution(parts, lands, seaLevel, settings, traces, links).Run();
    const SurfaceExtremes extremes = WorldExtremes(parts, lands, links);
    for (std::size_t i = 0; i < windows.size(); ++i) {
        seaTop = WriteWholeLevels(lands[i], seaLevel, kDrainableTop, extremes, heights[i], 1);
    }
    if (traces) {
        // The surface's heights, and the traces' cut and fill, counted in the
        // whole levels the surface became.
        const double step = LevelStep(extremes, kDrainableTop);
        const double base = seaTop + 1;
        for (std::size_t i = 0; i < windows.size(); ++i) {
            ErosionTraces& trace = (*traces)[i];
            windows[i].ForEachOwned([&](int32_t cell) {
                trace.levels.heights[cell] =
                    static_cast<float>(base + (lands[i].heights[cell] - seaLevel) / step);
                trace.wear.heights[cell] = static_cast<float>(trace.wear.heights[cell] / step);
                trace.deposit.heights[cell] =
                    static_cast<float>(trace.deposit.heights[cell] / step);
            });
        }
    }
    // The model keeps every way down a level deep or more; a hollow it was
    // handed without one drains all the same.
    if (!WorldDrains(parts, heights, seaTop, links)) {
        heights = FillWindows(parts, heights, seaTop, links);
    }
    if (traces) {
        for (LandSurface ErosionTraces::*surface :
             {&ErosionTraces::levels, &ErosionTraces::wear, &ErosionTraces::deposit}) {
            std::vector<float*> cells;
            for (ErosionTraces& trace : *traces) cells.push_back((trace.*surface).heights.data());
            parts.Exchange(cells, links);
        }
    }
    return seaTop;
}

}  // namespace morvik
