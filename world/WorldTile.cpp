#include "world/WorldTile.h"

#include <algorithm>
#include <vector>

#include "terrain/CircleRuns.h"
#include "world/WorldCircles.h"

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

std::vector<CellGrid> RegionHeights(const RunSettings& settings,
                                    std::span<const WorldRegion> regions) {
    const MapSize size = settings.Size();
    std::vector<std::vector<int64_t>> differences;
    std::vector<RegionRuns> runs;
    differences.reserve(regions.size());
    for (const WorldRegion& region : regions) {
        differences.emplace_back(
            static_cast<std::size_t>(region.size.Width()) * (region.size.Height() + 1), 0);
    }
    for (std::size_t i = 0; i < regions.size(); ++i) runs.emplace_back(regions[i], differences[i]);
    int64_t forAll = 0;
    ForEachCircle(settings, [&](const Circle& circle) {
        forAll -= circle.sign;
        for (const auto& [part, span] : CircleParts(size, circle, settings.wrap)) {
            for (std::size_t i = 0; i < regions.size(); ++i) {
                const WorldRegion& region = regions[i];
                const ColumnSpan within{std::max(span.first, region.left),
                                        std::min(span.last, region.left + region.size.Width() - 1)};
                if (within.first <= within.last) {
                    RecordCircleRuns(runs[i], size, part, within, settings.wrap);
                }
            }
        }
    });
    std::vector<CellGrid> heights;
    for (std::size_t i = 0; i < regions.size(); ++i) {
        const int32_t rows = regions[i].size.Height();
        CellGrid& grid = heights.emplace_back(regions[i].size);
        for (int32_t x = 0; x < regions[i].size.Width(); ++x) {
            const int64_t* column = &differences[i][static_cast<std::size_t>(x) * (rows + 1)];
            int64_t height = forAll;
            for (int32_t y = 0; y < rows; ++y) {
                height += column[y];
                grid.At(x, y) = static_cast<int32_t>(height);
            }
        }
    }
    return heights;
}

}  // namespace morvik
