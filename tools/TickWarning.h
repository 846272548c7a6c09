#pragma once

#include <cstdint>

#include "terrain/WorldSize.h"

namespace morvik {

// Says so on standard error, as `tool`, when the tick keeps the circles
// from taking their whole ranges on a map of this size.
void WarnOfASmallTick(const char* tool, uint32_t tick, WorldSize size);

}  // namespace morvik
