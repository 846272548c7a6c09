#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "landscape/LandSurface.h"
#include "landscape/ReceiverTree.h"
#include "landscape/RockUplift.h"
#include "terrain/ZeroedVector.h"

namespace morvik {

// A^m, from a table for the whole areas most cells have.
class AreaPower {
  public:
    explicit AreaPower(float exponent);
    float operator()(float area) const {
        return area < kTabled ? table_[static_cast<std::size_t>(area)] : std::pow(area, exponent_);
    }

  private:
    static constexpr float kTabled = 1 << 16;
    float exponent_;
    std::vector<float> table_;
};

// One step of rivers cutting by stream power while the rock rises, solved
// implicitly from the receivers up (Braun & Willett 2013, with n = 1), which
// is stable at any step:
//   h' = (h + uplift + F h'_receiver) / (1 + F),  F = K dt A^m / distance,
// the sea and the ground beyond an edge that does not wrap being base level
// at the sea's level. Every land cell then stands at least `leastDrop`
// above its receiver: a cell the formula would leave lower is lifted just
// that far, the least lift that keeps a way down. The sea floor is left as
// it is. What each cell loses is added to `eroded`.
struct Incision {
    float seaLevel;
    float leastDrop;
    float erodibility;  // K dt
    float channelArea;  // below it, none
    float time;         // dt
};
void IncideRivers(LandSurface& land, const ZeroedVector<float>& area, const AreaPower& areaPower,
                  const RockUplift& uplift, const Incision& incision, ReceiverTree& tree,
                  ZeroedVector<float>& eroded, int32_t threads);
// One cell's step, once its receiver's is taken.
void IncideCell(LandSurface& land, const ZeroedVector<float>& area, const AreaPower& areaPower,
                const RockUplift& uplift, const Incision& incision, const ReceiverTree& tree,
                ZeroedVector<float>& eroded, int32_t cell);

}  // namespace morvik
