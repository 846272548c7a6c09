#pragma once

#include <cstdint>

#include "landscape/ReceiverTree.h"
#include "terrain/ZeroedVector.h"

namespace morvik {

// The flow accumulation: each cell's drainage area, the cells whose water
// passes through it, itself included.
void AccumulateDrainageArea(ReceiverTree& tree, ZeroedVector<float>& area, int32_t threads);

}  // namespace morvik
