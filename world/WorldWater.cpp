#include "world/WorldWater.h"

#include <algorithm>

#include "landscape/ReceiverTree.h"
#include "layers/LandLayers.h"
#include "world/WindowFill.h"
#include "world/WindowPasses.h"

namespace morvik {

namespace {

// The flow over each window's ground, routed down its steepest ways.
void TraceFlow(const PartWindows& parts, const std::vector<LandSurface>& ground, float seaLevel,
               const RankLinks& links, std::vector<WindowWater>& water) {
    const std::vector<PartWindow>& windows = parts.Windows();
    std::vector<ReceiverTree> trees;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        // The window is the world around its part: its edges are the world's
        // only where the world ends.
        trees.emplace_back(windows[i].size, Wrap::kNone).RouteSteepest(ground[i], seaLevel, 1);
    }
    std::vector<ZeroedVector<float>> area = AccumulateWindows(parts, trees, links);
    std::vector<ZeroedVector<float>> flow(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        flow[i] = ZeroedVector<float>(area[i].size());
        windows[i].ForEachOwned([&](int32_t cell) {
            flow[i][cell] = FlowThrough(trees[i], ground[i], seaLevel, area[i], cell);
            water[i].mostFlow = std::max(water[i].mostFlow, flow[i][cell]);
        });
    }
    parts.Exchange(flow, links);
    for (std::size_t i = 0; i < windows.size(); ++i) water[i].flow = std::move(flow[i]);
}

}  // namespace

std::vector<WindowWater> TraceWorldWater(const PartWindows& parts,
                                         const std::vector<std::vector<uint16_t>>& values,
                                         const WaterLevels& levels, const RankLinks& links) {
    const std::vector<PartWindow>& windows = parts.Windows();
    std::vector<CellGrid> ground;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        CellGrid& cells = ground.emplace_back(windows[i].size);
        for (std::size_t cell = 0; cell < values[i].size(); ++cell) {
            cells[cell] = levels(values[i][cell]);
        }
    }
    const std::vector<CellGrid> filled = FillWindows(parts, ground, levels.SeaTop(), links);
    std::vector<LandSurface> surfaces;
    std::vector<WindowWater> water(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        LandSurface& surface = surfaces.emplace_back(windows[i].size);
        water[i].lakes = ZeroedVector<uint8_t>(surface.heights.size());
        for (std::size_t cell = 0; cell < surface.heights.size(); ++cell) {
            surface.heights[cell] = static_cast<float>(filled[i][cell]);
            water[i].lakes[cell] = filled[i][cell] > ground[i][cell] ? 1 : 0;
        }
    }
    TraceFlow(parts, surfaces, SeaLevelAbove(levels.SeaTop()), links, water);
    return water;
}

std::vector<WindowWater> TraceWorldWater(const PartWindows& parts,
                                         const std::vector<LandSurface>& ground, float seaLevel,
                                         const RankLinks& links) {
    std::vector<WindowWater> water(parts.Windows().size());
    for (std::size_t i = 0; i < water.size(); ++i) {
        water[i].lakes = ZeroedVector<uint8_t>(ground[i].heights.size());
    }
    TraceFlow(parts, ground, seaLevel, links, water);
    return water;
}

}  // namespace morvik
