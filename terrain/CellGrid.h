#pragma once

#include <cstddef>
#include <cstdint>
#include "terrain/MapSize.h"
#include "terrain/ZeroedVector.h"

namespace morvik {

// A grid of signed heights of a fixed capacity, stored column by column:
// cell (x, y) is element x * Rows() + y. Operations use only the top-left
// corner of their map, which lies within the capacity.
class CellGrid {
  public:
    explicit CellGrid(MapSize capacity)
        : columns_(capacity.Width()),
          rows_(capacity.Height()),
          cells_(static_cast<std::size_t>(capacity.Cells())) {}

    int32_t Columns() const { return columns_; }
    int32_t Rows() const { return rows_; }
    bool Holds(MapSize size) const { return size.Width() <= columns_ && size.Height() <= rows_; }

    int32_t* Column(int32_t x) { return &cells_[static_cast<std::size_t>(x) * rows_]; }
    const int32_t* Column(int32_t x) const { return &cells_[static_cast<std::size_t>(x) * rows_]; }

    int32_t& At(int32_t x, int32_t y) { return Column(x)[y]; }
    int32_t At(int32_t x, int32_t y) const { return Column(x)[y]; }
    // The cells as they lie, column by column.
    int32_t& operator[](std::size_t at) { return cells_[at]; }
    int32_t operator[](std::size_t at) const { return cells_[at]; }

  private:
    int32_t columns_;
    int32_t rows_;
    ZeroedVector<int32_t> cells_;
};

}  // namespace morvik
