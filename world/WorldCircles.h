#pragma once

#include <cstdint>

#include "run/RunSettings.h"
#include "terrain/Circle.h"
#include "terrain/RandomSource.h"

namespace morvik {

// Calls visit(circle) for every circle of the run with these settings, in
// the order the run takes them from the generator's random numbers; none
// is held, so a world's circles cost no memory however many they are.
template <typename Visit>
void ForEachCircle(const RunSettings& settings, Visit visit) {
    const WorldSize size = settings.World();
    RandomSource random;
    const auto tick = [&] { return settings.tick; };
    for (int64_t i = CircleCount(settings.roughness, size); i > 0; --i) {
        visit(TakeCircle(random, tick, size));
    }
}

}  // namespace morvik
