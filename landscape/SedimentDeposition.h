#pragma once

#include <cstdint>

#include "landscape/LandSurface.h"
#include "landscape/ReceiverTree.h"
#include "terrain/ZeroedVector.h"

namespace morvik {

// What the rivers cut they carry down, and leave where their capacity falls:
// the erosion-deposition model of Davy & Lague 2009 as Yuan et al. 2019
// write it, d = G Qs / A, which leaves on each land cell the share G / (A + G)
// of the sediment reaching it. In the sea the sediment spreads down the sea
// floor, leaving `seaShare` of it on each cell it crosses, never up to the
// sea's level. No cell is raised to within `leastDrop` of a cell whose water
// comes to it, so that every way down stays one. What reaches a root goes
// no further.
struct Deposition {
    float seaLevel;
    float leastDrop;
    float landShare;    // G
    float channelArea;  // smaller hollows pass all their sediment on
    float seaShare;
};
// `carried` holds each cell's own eroded sediment and takes the sediment
// each cell passes on; returns the sediment that left the land at the roots.
// With `left`, adds what each cell was given to it.
double DepositSediment(LandSurface& land, const ZeroedVector<float>& area,
                       const Deposition& deposition, ReceiverTree& tree,
                       ZeroedVector<float>& carried, int32_t threads,
                       ZeroedVector<float>* left = nullptr);
// One cell's share, once its donors' are taken.
void DepositOnCell(LandSurface& land, const ZeroedVector<float>& area, const Deposition& deposition,
                   const ReceiverTree& tree, ZeroedVector<float>& carried,
                   ZeroedVector<float>* left, int32_t cell);

}  // namespace morvik
