#include "landscape/SedimentDeposition.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "terrain/ParallelFor.h"

namespace morvik {

void DepositOnCell(LandSurface& land, const ZeroedVector<float>& area, const Deposition& deposition,
                   const ReceiverTree& tree, ZeroedVector<float>& carried,
                   ZeroedVector<float>* left, int32_t cell) {
    float* heights = land.heights.data();
    const float sea = deposition.seaLevel;
    float flux = carried[cell];
    float lowestDonor = std::numeric_limits<float>::max();
    tree.ForEachDonor(cell, [&](int32_t donor) {
        flux += carried[donor];
        lowestDonor = std::min(lowestDonor, heights[donor]);
    });
    float& height = heights[cell];
    float ceiling = lowestDonor - deposition.leastDrop;
    float dropped = 0;
    if (height < sea) {
        ceiling = std::min(ceiling, sea - deposition.leastDrop);
        dropped = flux * deposition.seaShare;
    } else if (area[cell] >= deposition.channelArea) {
        dropped = flux * deposition.landShare / (area[cell] + deposition.landShare);
    }
    if (tree.IsRoot(cell) && !tree.LeavesMap(cell)) dropped = flux;  // a hollow keeps it all
    dropped = std::clamp(ceiling - height, 0.0F, dropped);
    height += dropped;
    carried[cell] = flux - dropped;
    if (left) (*left)[cell] += dropped;
}

double DepositSediment(LandSurface& land, const ZeroedVector<float>& area,
                       const Deposition& deposition, ReceiverTree& tree,
                       ZeroedVector<float>& carried, int32_t threads, ZeroedVector<float>* left) {
    tree.Downstream(threads, [&](int32_t cell) {
        DepositOnCell(land, area, deposition, tree, carried, left, cell);
    });
    const MapSize size = land.size;
    std::vector<double> bands(BandsOf(size.Width()), 0);
    ForEachBand(size.Width(), threads, [&](int32_t band, int32_t first, int32_t end) {
        for (int32_t cell = first * size.Height(); cell < end * size.Height(); ++cell) {
            if (tree.IsRoot(cell)) bands[band] += carried[cell];
        }
    });
    double away = 0;
    for (const double band : bands) away += band;
    return away;
}

}  // namespace morvik
