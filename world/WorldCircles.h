#pragma once

#include <cstdint>

#include "run/RunSettings.h"
#include "terrain/Circle.h"
#include "terrain/RandomSource.h"

namespace morvik {

// How many circles the run with these settings takes.
inline int64_t CircleCount(const RunSettings& settings) {
    return int64_t{settings.roughness} * (int64_t{settings.width} * settings.height / 50) +
           int64_t{settings.roughness} * 400;
}

// Calls visit(circle) for every circle of the run with these settings, in
// the order the run takes them from the generator's random numbers; none
// is held, so a world's circles cost no memory however many they are.
template <typename Visit>
void ForEachCircle(const RunSettings& settings, Visit visit) {
    const WorldSize size = settings.World();
    RandomSource random;
    const auto take = [&] { return static_cast<int32_t>(random.RandomBelow(settings.tick)); };
    for (int64_t i = CircleCount(settings); i > 0; --i) {
        // Four separate statements: the numbers must be taken in this order.
        const int32_t d1 = take();
        const int32_t d2 = take();
        const int32_t d3 = take();
        const int32_t d4 = take();
        visit(CircleFromNumbers(size, d1, d2, d3, d4));
    }
}

}  // namespace morvik
