#include "tools/TickWarning.h"

#include <cstdio>

#include "run/RunSettings.h"

namespace morvik {

void WarnOfASmallTick(const char* tool, uint32_t tick, WorldSize size) {
    if (tick >= SmallestFullTick(size)) return;
    std::fprintf(stderr,
                 "%s: warning: tick %u is below %lld, three times the map's longer side: every "
                 "number taken is below the tick, so the circles cannot take all their places "
                 "and sizes and crowd toward the bottom right; the smaller the tick, the flatter "
                 "the map\n",
                 tool, tick, static_cast<long long>(SmallestFullTick(size)));
}

}  // namespace morvik
