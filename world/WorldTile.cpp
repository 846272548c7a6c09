#include "world/WorldTile.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "terrain/CircleRuns.h"
#include "terrain/HeightField.h"
#include "world/WorldCircles.h"

namespace morvik {

namespace {

// The runs of rows a circle records in the world, taken where they fall
// within the region, onto the region's own height field.
class RegionChanges {
  public:
    RegionChanges(HeightField& field, const WorldRegion& region)
        : changes_(field.AllStrips()),
          left_(region.left),
          top_(region.top),
          bottom_(region.top + region.size.Height() - 1) {}

    void AddToRows(int32_t x, int32_t firstRow, int32_t lastRow, int32_t delta) {
        const int32_t first = std::max(firstRow, top_);
        const int32_t last = std::min(lastRow, bottom_);
        if (first <= last) changes_.AddToRows(x - left_, first - top_, last - top_, delta);
    }

  private:
    HeightField::FieldChanges changes_;
    int32_t left_;
    int32_t top_;
    int32_t bottom_;
};

}  // namespace

std::vector<CellGrid> RegionHeights(const RunSettings& settings,
                                    std::span<const WorldRegion> regions) {
    const WorldSize size = settings.World();
    std::vector<HeightField> fields;
    fields.reserve(regions.size());
    for (const WorldRegion& region : regions) {
        fields.emplace_back(region.size, 1).DeferAddToAll(region.size, 0);
    }
    // What every circle does to every cell alike; within 32 bits, as every
    // height is.
    int32_t forAll = 0;
    ForEachCircle(settings, [&](const Circle& circle) {
        forAll -= circle.sign;
        for (const auto& [part, span] : CircleParts(size, circle, settings.wrap)) {
            for (std::size_t i = 0; i < regions.size(); ++i) {
                const WorldRegion& region = regions[i];
                const ColumnSpan within{std::max(span.first, region.left),
                                        std::min(span.last, region.left + region.size.Width() - 1)};
                if (within.first <= within.last) {
                    RecordCircleRuns(RegionChanges(fields[i], region), size, part, within,
                                     settings.wrap,
                                     {region.top, region.top + region.size.Height() - 1});
                }
            }
        }
    });
    std::vector<CellGrid> heights;
    heights.reserve(regions.size());
    for (std::size_t i = 0; i < regions.size(); ++i) {
        fields[i].DeferAddToAll(regions[i].size, forAll);
        heights.push_back(std::move(fields[i]).TakeCells());
    }
    return heights;
}

}  // namespace morvik
