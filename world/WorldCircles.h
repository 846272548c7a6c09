#pragma once

#include <cstdint>
#include <vector>

#include "run/RunSettings.h"
#include "terrain/Circle.h"

namespace morvik {

// Every circle of a run, in the order the run takes them, and what they
// all do to every cell alike: each lowers the whole map by its sign, and
// raises its inside by twice that.
struct WorldCircles {
    std::vector<Circle> circles;
    int64_t forAll = 0;
};

// The circles of the run with these settings, taken from the generator's
// random numbers as a whole run takes them.
WorldCircles TakeWorldCircles(const RunSettings& settings);

}  // namespace morvik
