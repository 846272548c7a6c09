#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "terrain/MapSize.h"

namespace morvik {

// A full-size grid of signed heights, stored column by column: cell (x, y) is
// element x * Rows + y. Operations use only the top-left corner of their map.
class CellGrid {
  public:
    static constexpr int32_t Columns = MapSize::MaxWidth;
    static constexpr int32_t Rows = MapSize::MaxHeight;

    int32_t* Column(int32_t x) { return &cells_[static_cast<std::size_t>(x) * Rows]; }
    const int32_t* Column(int32_t x) const { return &cells_[static_cast<std::size_t>(x) * Rows]; }

    int32_t& At(int32_t x, int32_t y) { return Column(x)[y]; }
    int32_t At(int32_t x, int32_t y) const { return Column(x)[y]; }

  private:
    std::array<int32_t, static_cast<std::size_t>(Columns) * Rows> cells_{};
};

}  // namespace morvik
