#include "landscape/StreamPowerIncision.h"

#include <algorithm>
#include <cmath>

namespace morvik {

AreaPower::AreaPower(float exponent)
    : exponent_(exponent), table_(static_cast<std::size_t>(kTabled)) {
    for (std::size_t area = 0; area < table_.size(); ++area) {
        table_[area] = std::pow(static_cast<float>(area), exponent);
    }
}

void IncideCell(LandSurface& land, const ZeroedVector<float>& area, const AreaPower& areaPower,
                const RockUplift& uplift, const Incision& incision, const ReceiverTree& tree,
                ZeroedVector<float>& eroded, int32_t cell) {
    float* heights = land.heights.data();
    const float sea = incision.seaLevel;
    const float height = heights[cell];
    if (height < sea) return;
    const float risen = height + uplift.Over(cell, incision.time);
    if (tree.IsRoot(cell) && !tree.LeavesMap(cell)) {
        heights[cell] = risen;  // a hollow, which only the rising fills
        return;
    }
    const float base = tree.LeavesMap(cell) ? sea : std::max(heights[tree.Receiver(cell)], sea);
    const float channel = area[cell] - incision.channelArea;
    const float cutting =
        channel > 0 ? incision.erodibility * areaPower(channel) / tree.Distance(cell) : 0;
    const float cut = (risen + cutting * base) / (1 + cutting);
    const float next = std::max(cut, base + incision.leastDrop);
    eroded[cell] += std::max(risen - next, 0.0F);
    heights[cell] = next;
}

void IncideRivers(LandSurface& land, const ZeroedVector<float>& area, const AreaPower& areaPower,
                  const RockUplift& uplift, const Incision& incision, ReceiverTree& tree,
                  ZeroedVector<float>& eroded, int32_t threads) {
    tree.Upstream(threads, [&](int32_t cell) {
        IncideCell(land, area, areaPower, uplift, incision, tree, eroded, cell);
    });
}

}  // namespace morvik
