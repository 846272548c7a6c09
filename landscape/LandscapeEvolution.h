#pragma once

#include "landscape/ErosionSettings.h"
#include "landscape/ErosionTraces.h"
#include "landscape/LandSurface.h"

namespace morvik {

// The land worn for the settings' amount of time, a pure function of the
// surface, the settings and the sea level, which stays where it is: no land
// cell falls to it and no sea cell rises to it. Each step, in this order:
//   Route                  the receivers, down the steepest drop (local)
//   DiffuseHillslopes      soil creep (local)
//   AccumulateDrainageArea the flow accumulation (down the receiver tree)
//   IncideRivers           stream power and uplift (in stack order, upward)
//   WidenValleyFloors      the large rivers' banks worn (local)
//   DepositSediment        the sediment flux (down the receiver tree)
// Every land cell that had a way down, a lower neighbour or an edge that
// does not wrap, keeps one at least leastDrop levels deep, a level being
// the 1 / kDrainableTop of the surface's whole range. With `traces`, adds
// each cell's cut and fill to their wear and deposit, in the surface's units.
void EvolveLandscape(LandSurface& land, float seaLevel, const ErosionSettings& settings,
                     ErosionTraces* traces = nullptr);

}  // namespace morvik
