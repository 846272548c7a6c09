#pragma once

#include <cstdint>
#include <span>

#include "layers/LandLayers.h"

namespace morvik {

// The water through each cell on a log scale: 0 for a cell that drains
// itself alone, 65535 for the most drained cell of the map, so that small
// streams show beside the great rivers, and no cell more than the cell it
// drains into. For the cells of row y from `left`.
class FlowMap {
  public:
    explicit FlowMap(const LandLayers& layers);
    // For layers that are part of a world whose most drained cell drains
    // `most`.
    FlowMap(const LandLayers& layers, float most);
    void Row(int32_t y, int32_t left, std::span<uint16_t> values) const;

  private:
    const LandLayers& layers_;
    double scale_;  // 65535 over the log of the most drained cell's flow
};

}  // namespace morvik
