#pragma once

#include <cmath>
#include <cstdint>
#include <functional>

#include "terrain/Wrap.h"

namespace morvik {

// How long the land wears: 1 barely cuts the rivers in, 100 grades the
// whole land; the default grades the rivers and leaves the hills their
// shape.
inline constexpr int32_t kLeastErosion = 1;
inline constexpr int32_t kMostErosion = 100;
inline constexpr int32_t kDefaultErosion = 10;

// The landscape-evolution model's settings. Lengths are in cells of the map
// and areas in cells, so that maps of every size wear alike at the same
// zoom; heights may be in any unit, since every term is linear in them;
// time is counted in units of the amount.
struct ErosionSettings {
    int32_t amount = kDefaultErosion;  // N, kLeastErosion..kMostErosion
    Wrap wrap = Wrap::kNone;           // water, sediment and slopes cross a wrapped edge
    int32_t threads = 1;               // the land is the same for any number
    std::function<void(double share)> progress = {};  // the share done so far

    // Rivers cut by stream power, E = K A^m S (Braun & Willett 2013), with
    // A the cells whose water passes and S the slope to the receiver.
    float areaExponent = 0.45F;  // m: graded rivers' slopes fall as A^-m
    float erodibility = 1;       // K: the cut a unit of time, of a slope, for one cell's water
    // Rivers begin where A passes this: they cut with the area above it, and
    // the smaller hollows are the slopes' to shape.
    float channelArea = 100;

    // The rock rises where the circles raised the ground, which keeps the
    // mountains while the rivers grade: each land cell a unit of time by
    // K uplift times the ground's height above the sea (its mean over
    // upliftReach cells each way) plus lowlandUplift times the land's
    // highest. At a steady state a river's slope is then uplift times that
    // height over A^m.
    float uplift = 0.05F;
    float lowlandUplift = 0.25F;
    int32_t upliftReach = 8;

    // Soil creeps down slopes as heat diffuses: an area a unit of time.
    float diffusivity = 1.5F;
    // No slope stands steeper than talusSlope times the land's height over
    // the map's longer side, a cell; each step checks it talusPasses times.
    float talusSlope = 10;
    int32_t talusPasses = 2;

    // Large rivers wear their banks too, which widens their valleys'
    // floors: beside a river of floorArea cells' water or more, the ground
    // wears this share a unit of time down toward the river, to floorRise
    // times leastDrop above it.
    float floorArea = 5000;
    float lateralErosion = 0.5F;
    float floorRise = 2;

    // Rivers leave sediment where their capacity falls (Yuan et al. 2019):
    // G / A of the flux a cell, of every river cell's flux the share
    // G / (A + G); the slopes pass theirs down to the rivers.
    float deposition = 1.0F;  // G
    // In the sea the flux spreads down the sea floor, leaving this share on
    // every cell, up to just below the sea's level.
    float seaDeposition = 0.2F;

    // Every land cell stands at least this many of the heightmap's levels
    // above the cell its water goes to, so that water finds its way down in
    // whole levels too.
    float leastDrop = 1.5F;

    // Steps of the model: more follow the rivers' changing courses closer.
    float stepsPerAmount = 0.3F;
    int32_t leastSteps = 2;

    // The steps the model takes, and the time each.
    int32_t Steps() const {
        return leastSteps + static_cast<int32_t>(std::lround(amount * stepsPerAmount));
    }
    float StepTime() const { return static_cast<float>(amount) / static_cast<float>(Steps()); }
};

}  // namespace morvik
