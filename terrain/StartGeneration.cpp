#include <algorithm>
#include <string>

#include "terrain/Circle.h"
#include "terrain/ERangeError.h"
#include "terrain/ParallelFor.h"
#include "terrain/Terrain.h"

namespace morvik {

namespace {

void RequireWithin(const char* what, int32_t value, int32_t lowest, int32_t highest) {
    if (value < lowest || value > highest) {
        throw ERangeError(std::string(what) + " " + std::to_string(value) + " is outside " +
                          std::to_string(lowest) + ".." + std::to_string(highest));
    }
}

}  // namespace

void Terrain::StartGeneration(MapSize size, int32_t roughness, int32_t seaShare, int32_t inputW,
                              int32_t inputH, Wrap wrap) {
    RequireWithin("roughness", roughness, kLeastRoughness, kMostRoughness);
    RequireWithin("sea share", seaShare, kLeastSeaShare, kMostSeaShare);
    RequireWithin("input width", inputW, 1, MapSize::kLargestSide);
    RequireWithin("input height", inputH, 1, MapSize::kLargestSide);
    RequireHeld(size);

    CellGrid& heights = heightField_.Cells();
    ForEachBand(size.Width(), threads_, [&](int32_t, int32_t first, int32_t end) {
        for (int32_t x = first; x < end; ++x) std::fill_n(heights.Column(x), size.Height(), 0);
    });
    // Within 32 bits for any map one process holds.
    job_.TotalIterations =
        static_cast<int32_t>(CircleCount(roughness, WorldSize(MapSize(inputW, inputH))));
    job_.SeaTarget = seaShare * 100;
    job_.IterationsDone = 0;
    wrap_ = wrap;
}

}  // namespace morvik
