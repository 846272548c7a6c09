#pragma once

#include <cstdint>

#include "landscape/BoxMean.h"
#include "landscape/LandSurface.h"
#include "terrain/Wrap.h"
#include "terrain/ZeroedVector.h"

namespace morvik {

// How fast the rock rises under each land cell: a base everywhere on land,
// and more the higher the circles raised the ground around it above the
// sea, so that the mountains stand where they did while the rivers wear
// them. The ground around is the mean over `reach` cells each way, which
// leaves the circles' ranges and drops their single steps. Kept as a share
// of the highest in 16 bits, 2 bytes a cell.
class RockUplift {
  public:
    // Per unit of time: `rate` times the ground's height above the sea plus
    // `lowland` times the highest land's.
    RockUplift(const LandSurface& land, float seaLevel, float rate, float lowland, int32_t reach,
               Wrap wrap, int32_t threads);
    // For a surface that is part of a world: from the ground's height above
    // the sea around each cell (the mean, twice over, of each box of `reach`
    // cells each way), the land's highest above the sea and the highest of
    // those means, the last two the world's.
    RockUplift(const LandSurface& meanGround, float relief, float highestMean, float rate,
               float lowland, int32_t threads);

    // The reach's boxes' first pass, ground to means, for part of a
    // surface.
    static void MeanOnce(LandSurface& ground, int32_t reach, const GridPart& part,
                         ZeroedVector<float>& scratch, int32_t threads);

    // The rise of a land cell over a time.
    float Over(int32_t cell, float time) const {
        return time * (base_ + perShare_ * shares_[cell]);
    }

  private:
    ZeroedVector<uint16_t> shares_;
    float base_ = 0;
    float perShare_ = 0;
};

}  // namespace morvik
