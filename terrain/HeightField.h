#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "terrain/CellGrid.h"
#include "terrain/MapSize.h"

namespace morvik {

// The map's heights. A circle iteration changes whole runs of rows in a few
// columns, so it records its changes as differences down each column instead
// of touching every cell. They are folded into the cells, one prefix sum per
// column, the moment anyone asks for the cells: what a reader sees is always
// exactly what applying every change cell by cell would give. (A difference
// too large to keep is folded early; the sum is the same.)
class HeightField {
  public:
    explicit HeightField(MapSize capacity)
        : cells_(capacity),
          pending_(static_cast<std::size_t>(capacity.Width()) * (capacity.Height() + 1)),
          columnStart_(static_cast<std::size_t>(capacity.Width())) {}

    CellGrid& Cells() {
        Settle();
        return cells_;
    }

    // Adds delta to every cell of a map of this size, and lets DeferAddToRows
    // record changes within it. Throws ERangeError for a map the cells do not
    // hold.
    void DeferAddToAll(MapSize size, int32_t delta);

    // Adds delta to rows firstRow..lastRow of column x. The rows and the
    // column lie within the size last given to DeferAddToAll.
    void DeferAddToRows(int32_t x, int32_t firstRow, int32_t lastRow, int32_t delta) {
        if (firstRow == 0) {
            columnStart_[x] += delta;
        } else {
            AddDifference(x, firstRow, delta);
        }
        // A run down to the last row ends in the spare row below the map.
        AddDifference(x, lastRow + 1, -delta);
    }

  private:
    // Row by row, so that the changes of neighbouring columns, which lie on
    // nearby rows, share cache lines. Row 0 is unused (see columnStart_).
    int8_t& Pending(int32_t x, int32_t y) {
        return pending_[static_cast<std::size_t>(y) * cells_.Columns() + x];
    }

    // Differences below the first row are mostly small, so each is kept in a
    // byte: for the program's maps the whole array, 1.3 MB, then fits a 2 MB
    // cache. One that would outgrow its byte is added to its column's cells
    // at once.
    void AddDifference(int32_t x, int32_t y, int32_t delta) {
        int8_t& difference = Pending(x, y);
        const int32_t sum = difference + delta;
        if (sum != static_cast<int8_t>(sum)) [[unlikely]] {
            AddBelow(x, y, sum);
            difference = 0;
        } else {
            difference = static_cast<int8_t>(sum);
        }
    }

    // Adds delta to rows y.. of column x of the cells.
    void AddBelow(int32_t x, int32_t y, int32_t delta);

    void Settle();

    CellGrid cells_;
    std::vector<int8_t> pending_;
    // The first row's differences. Every run cut off by the top edge starts
    // there, so they grow too large for a byte.
    std::vector<int32_t> columnStart_;
    int32_t pendingForAll_ = 0;
    std::optional<MapSize> pendingSize_;
};

}  // namespace morvik
