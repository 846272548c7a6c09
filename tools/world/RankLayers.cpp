#include "tools/world/RankLayers.h"

#include <algorithm>
#include <bit>

#include "layers/WaterCells.h"
#include "world/WorldWater.h"

namespace morvik {

namespace {

// The most of every rank's positive floats, which order as their bits do.
float MostOfRanks(const RankGroup& ranks, float value) {
    int64_t most = std::bit_cast<int32_t>(value);
    ranks.Most(std::span(&most, 1));
    return std::bit_cast<float>(static_cast<int32_t>(most));
}

// The deepest of a layer over the world, from every rank's samples of the
// cells its tiles own.
double DeepestOfWorld(const RankGroup& ranks, const PartWindows& parts,
                      const std::vector<LandLayers>& layers,
                      ZeroedVector<float> LandLayers::*values) {
    const WorldSize world = parts.World();
    const std::size_t stride = SampleStride(world.Cells());
    std::vector<float> samples;
    for (std::size_t i = 0; i < layers.size(); ++i) {
        const PartWindow& window = parts.Windows()[i];
        const ZeroedVector<float>& cells = layers[i].*values;
        if (cells.empty()) continue;  // land that was not eroded
        for (int32_t y = 0; y < window.region.size.Height(); ++y) {
            for (int32_t x = 0; x < window.region.size.Width(); ++x) {
                const int64_t at =
                    int64_t{window.region.top + y} * world.Width() + window.region.left + x;
                const float value = cells[layers[i].Index(window.left + x, window.above + y)];
                if (static_cast<std::size_t>(at) % stride == 0 && value > 0)
                    samples.push_back(value);
            }
        }
    }
    return DeepestOfSamples(GatherAll(ranks, samples));
}

}  // namespace

RankLayers MakeRankLayers(const BatchOptions& options, const RankGroup& ranks,
                          const RankShare& share, const RankLand& land,
                          const WorldNumbers& numbers) {
    const PartWindows& parts = *land.parts;
    const std::vector<PartWindow>& windows = parts.Windows();
    const WorldSize world = options.run.World();
    const bool eroded = land.seaTop.has_value();
    RankLayers made;
    // A level is the heightmap's span over the levels' span.
    const HeightExtremes extremes = numbers.finish.extremes;
    const float unit = extremes.highest > extremes.lowest
                           ? 65535.0F / static_cast<float>(extremes.highest - extremes.lowest)
                           : 0.0F;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const PartWindow& window = windows[i];
        std::span<const float> levels;
        if (!land.traces.empty()) levels = std::span<const float>(land.traces[i].levels.heights);
        LandLayers& layers = made.layers.emplace_back(
            LandLayers{.heightmap = HeightmapOf(land.heights[i], window.size, numbers.values),
                       .wrap = Wrap::kNone,
                       .heights = FineHeightsOf(land.heights[i], window.size, numbers.seaTop,
                                                numbers.values, levels)});
        if (!land.traces.empty()) {
            layers.wear = ToRows(land.traces[i].wear.heights, window.size, unit, 1);
            layers.deposit = ToRows(land.traces[i].deposit.heights, window.size, unit, 1);
        }
        made.regions.push_back({window.left, window.above, share.tiles[i]->size});
    }
    if (ShowsWater(options)) {
        std::vector<WindowWater> water;
        if (eroded) {
            // Eroded land drains down its finer heights.
            std::vector<LandSurface> ground;
            for (std::size_t i = 0; i < windows.size(); ++i) {
                LandSurface& cells = ground.emplace_back(windows[i].size);
                for (int32_t x = 0; x < windows[i].size.Width(); ++x) {
                    for (int32_t y = 0; y < windows[i].size.Height(); ++y) {
                        cells.At(x, y) = made.layers[i].heights[made.layers[i].Index(x, y)];
                    }
                }
            }
            water = TraceWorldWater(parts, ground, numbers.values.seaLevel + 0.5F, ranks);
        } else {
            std::vector<std::vector<uint16_t>> values;
            for (std::size_t i = 0; i < windows.size(); ++i) {
                std::vector<uint16_t>& cells = values.emplace_back(windows[i].size.Cells());
                for (int32_t cell = 0; cell < windows[i].size.Cells(); ++cell) {
                    cells[cell] = numbers.values.Of(land.heights[i][cell]);
                }
            }
            std::vector<uint8_t> occurs(65536, 0);
            for (const int32_t value : numbers.values.values) {
                if (value >= 0) occurs[static_cast<std::size_t>(value)] = 1;
            }
            water =
                TraceWorldWater(parts, values, WaterLevels(occurs, numbers.values.seaLevel), ranks);
        }
        for (std::size_t i = 0; i < windows.size(); ++i) {
            LandLayers& layers = made.layers[i];
            layers.flow = ToRows(water[i].flow, windows[i].size, 1.0F, 1);
            layers.lakes = ToRows(water[i].lakes, windows[i].size, uint8_t{1}, 1);
            if (options.rivers || !options.masks.empty()) {
                made.water.push_back(WaterCells(layers, world));
            }
            made.mostFlow = std::max(made.mostFlow, water[i].mostFlow);
        }
        made.mostFlow = MostOfRanks(ranks, made.mostFlow);
    }
    float highest = 0;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const PartWindow& window = windows[i];
        for (int32_t y = window.above; y < window.above + window.region.size.Height(); ++y) {
            const float* row = &made.layers[i].heights[made.layers[i].Index(window.left, y)];
            highest = std::max(highest, *std::max_element(row, row + window.region.size.Width()));
        }
    }
    made.scales = {MostOfRanks(ranks, highest),
                   DeepestOfWorld(ranks, parts, made.layers, &LandLayers::deposit),
                   DeepestOfWorld(ranks, parts, made.layers, &LandLayers::wear)};
    return made;
}

}  // namespace morvik
