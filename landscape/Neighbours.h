#pragma once

#include <cstdint>

#include "terrain/MapSize.h"
#include "terrain/Wrap.h"

namespace morvik {

// The cells around a cell of a map whose cells lie column by column: across
// a wrapped edge those at the other edge, and none beyond an edge that does
// not wrap. On a map that does not wrap a step is one addition.
class Neighbours {
  public:
    Neighbours(MapSize size, Wrap wrap) : width_(size.Width()), rows_(size.Height()), wrap_(wrap) {}

    // Whether a cell lies on an edge that does not wrap, where water leaves
    // the map.
    bool OnEdge(int32_t x, int32_t y) const {
        return (!WrapsColumns(wrap_) && (x == 0 || x == width_ - 1)) ||
               (!WrapsRows(wrap_) && (y == 0 || y == rows_ - 1));
    }

    // The cell (dx, dy) away, each -1..1, from (x, y); -1 beyond an edge that
    // does not wrap.
    int32_t At(int32_t x, int32_t y, int32_t dx, int32_t dy) const {
        const int32_t nx = Along(x + dx, width_, WrapsColumns(wrap_));
        const int32_t ny = Along(y + dy, rows_, WrapsRows(wrap_));
        return nx < 0 || ny < 0 ? -1 : nx * rows_ + ny;
    }

    // The same from a cell's index, for a neighbour that exists.
    int32_t Of(int32_t cell, int32_t dx, int32_t dy) const {
        if (wrap_ == Wrap::kNone) return cell + dx * rows_ + dy;
        return At(cell / rows_, cell % rows_, dx, dy);
    }

  private:
    static int32_t Along(int32_t i, int32_t side, bool wraps) {
        if (i >= 0 && i < side) return i;
        if (!wraps) return -1;
        return i < 0 ? i + side : i - side;
    }

    int32_t width_;
    int32_t rows_;
    Wrap wrap_;
};

}  // namespace morvik
