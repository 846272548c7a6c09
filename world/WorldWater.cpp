#include "world/WorldWater.h"

#include <algorithm>
#include <climits>

#include "landscape/LandSurface.h"
#include "landscape/ReceiverTree.h"
#include "layers/LandLayers.h"
#include "world/WindowFill.h"
#include "world/WindowPasses.h"

namespace morvik {

std::vector<WindowWater> TraceWorldWater(const PartWindows& parts,
                                         const std::vector<std::vector<uint16_t>>& values,
                                         const WaterLevels& levels, const RankLinks& links) {
    const std::vector<PartWindow>& windows = parts.Windows();
    std::vector<CellGrid> ground;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        CellGrid& cells = ground.emplace_back(windows[i].size);
        for (std::size_t cell = 0; cell < values[i].size(); ++cell)
            cells[cell] = levels(values[i][cell]);
    }
    const std::vector<CellGrid> filled = FillWindows(parts, ground, levels.SeaTop(), links);
    const float seaLevel = SeaLevelAbove(levels.SeaTop());
    std::vector<LandSurface> surfaces;
    std::vector<ReceiverTree> trees;
    std::vector<WindowWater> water(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        LandSurface& surface = surfaces.emplace_back(windows[i].size);
        water[i].lakes = ZeroedVector<uint8_t>(surface.heights.size());
        for (std::size_t cell = 0; cell < surface.heights.size(); ++cell) {
            surface.heights[cell] = static_cast<float>(filled[i][cell]);
            water[i].lakes[cell] = filled[i][cell] > ground[i][cell] ? 1 : 0;
        }
        // The window is the world around its part: its edges are the world's
        // only where the world ends.
        trees.emplace_back(windows[i].size, Wrap::kNone).RouteSteepest(surface, seaLevel, 1);
    }
    std::vector<ZeroedVector<float>> area = AccumulateWindows(parts, trees, links);
    std::vector<ZeroedVector<float>> flow(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const PartWindow& window = windows[i];
        flow[i] = ZeroedVector<float>(area[i].size());
        for (int32_t x = window.left; x < window.left + window.region.size.Width(); ++x) {
            for (int32_t y = window.above; y < window.above + window.region.size.Height(); ++y) {
                const auto cell = static_cast<int32_t>(window.Index(x, y));
                flow[i][cell] = FlowThrough(trees[i], surfaces[i], seaLevel, area[i], cell);
                water[i].mostFlow = std::max(water[i].mostFlow, flow[i][cell]);
            }
        }
    }
    parts.Exchange(flow, links);
    for (std::size_t i = 0; i < windows.size(); ++i) water[i].flow = std::move(flow[i]);
    return water;
}

}  // namespace morvik
