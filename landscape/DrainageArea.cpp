#include "landscape/DrainageArea.h"

namespace morvik {

void AccumulateDrainageArea(ReceiverTree& tree, ZeroedVector<float>& area, int32_t threads) {
    tree.Downstream(threads, [&](int32_t cell) {
        float sum = 1;
        tree.ForEachDonor(cell, [&](int32_t donor) { sum += area[donor]; });
        area[cell] = sum;
    });
}

}  // namespace morvik
