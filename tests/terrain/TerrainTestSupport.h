#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "terrain/CellGrid.h"
#include "terrain/MapSize.h"
#include "terrain/TickSource.h"

namespace morvik {

// Tick counts from a seeded engine, so that a second source with the same seed
// replays them. Half of the readings are small, as shortly after boot, and the
// others span all 32 bits, top bit included.
class SeededTickSource final : public TickSource {
  public:
    explicit SeededTickSource(uint32_t seed) : engine_(seed) {}
    uint32_t Ticks() override {
        const uint32_t value = engine_();
        return value & 1 ? value : value % 5000;
    }

  private:
    std::mt19937 engine_;
};

// Whether two grids agree on the map's corner; names the first cell that differs.
inline testing::AssertionResult SameCorner(const CellGrid& actual, const CellGrid& expected,
                                           MapSize size) {
    for (int32_t x = 0; x < size.Width(); ++x) {
        for (int32_t y = 0; y < size.Height(); ++y) {
            if (actual.At(x, y) != expected.At(x, y)) {
                return testing::AssertionFailure()
                       << "cell (" << x << ", " << y << ") of " << size.Width() << " x "
                       << size.Height() << " is " << actual.At(x, y) << ", expected "
                       << expected.At(x, y);
            }
        }
    }
    return testing::AssertionSuccess();
}

// Whether the column right of the map's corner and the row below it are still
// all 0: nothing may spill out of the corner.
inline testing::AssertionResult UntouchedOutside(const CellGrid& cells, MapSize size) {
    for (int32_t y = 0; size.Width() < cells.Columns() && y < cells.Rows(); ++y) {
        if (cells.At(size.Width(), y) != 0) {
            return testing::AssertionFailure()
                   << "cell (" << size.Width() << ", " << y << ") right of the map is "
                   << cells.At(size.Width(), y);
        }
    }
    for (int32_t x = 0; size.Height() < cells.Rows() && x < cells.Columns(); ++x) {
        if (cells.At(x, size.Height()) != 0) {
            return testing::AssertionFailure()
                   << "cell (" << x << ", " << size.Height() << ") below the map is "
                   << cells.At(x, size.Height());
        }
    }
    return testing::AssertionSuccess();
}

}  // namespace morvik
