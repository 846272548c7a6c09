#include "world/WindowPasses.h"

namespace morvik {

std::vector<ZeroedVector<float>> AccumulateWindows(const PartWindows& parts,
                                                   const std::vector<ReceiverTree>& trees,
                                                   const RankLinks& links) {
    std::vector<ZeroedVector<float>> area;
    for (const PartWindow& window : parts.Windows()) {
        area.emplace_back(static_cast<std::size_t>(window.size.Cells()), 0.0F);
    }
    DownstreamWindows(
        parts, trees, links,
        [&](std::size_t i, int32_t cell) {
            float sum = 1;
            trees[i].ForEachDonor(cell, [&](int32_t donor) { sum += area[i][donor]; });
            area[i][cell] = sum;
        },
        [&] { parts.Exchange(area, links); });
    return area;
}

}  // namespace morvik
