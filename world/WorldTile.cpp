#include "world/WorldTile.h"

#include <algorithm>
#include <vector>

#include "terrain/CircleRuns.h"

namespace morvik {

namespace {

// Runs of rows recorded as differences, a column of the region at a time:
// +delta where a run starts, -delta past its end, summed down at the end.
class RegionRuns {
  public:
    RegionRuns(const WorldRegion& region, std::vector<int64_t>& differences)
        : region_(region), rows_(region.size.Height()), differences_(differences) {}

    void AddToRows(int32_t x, int32_t firstRow, int32_t lastRow, int32_t delta) const {
        const int32_t first = std::max(firstRow, region_.top) - region_.top;
        const int32_t last = std::min(lastRow, region_.top + rows_ - 1) - region_.top;
        if (first > last) return;
        int64_t* column = &differences_[static_cast<std::size_t>(x - region_.left) * (rows_ + 1)];
        column[first] += delta;
        column[last + 1] -= delta;
    }

  private:
    const WorldRegion& region_;
    int32_t rows_;
    std::vector<int64_t>& differences_;
};

}  // namespace

CellGrid RegionHeights(const WorldCircles& world, MapSize worldSize, Wrap wrap,
                       const WorldRegion& region) {
    const int32_t columns = region.size.Width();
    const int32_t rows = region.size.Height();
    std::vector<int64_t> differences(static_cast<std::size_t>(columns) * (rows + 1), 0);
    const RegionRuns runs(region, differences);
    const int32_t right = region.left + columns - 1;
    for (const Circle& circle : world.circles) {
        for (const auto& [part, span] : CircleParts(worldSize, circle, wrap)) {
            const ColumnSpan within{std::max(span.first, region.left), std::min(span.last, right)};
            if (within.first <= within.last) RecordCircleRuns(runs, worldSize, part, within, wrap);
        }
    }
    CellGrid heights(region.size);
    for (int32_t x = 0; x < columns; ++x) {
        const int64_t* column = &differences[static_cast<std::size_t>(x) * (rows + 1)];
        int64_t height = world.forAll;
        for (int32_t y = 0; y < rows; ++y) {
            height += column[y];
            heights.At(x, y) = static_cast<int32_t>(height);
        }
    }
    return heights;
}

}  // namespace morvik
