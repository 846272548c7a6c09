#include "world/WorldTile.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "terrain/CircleRuns.h"
#include "terrain/HeightField.h"
#include "terrain/ParallelFor.h"
#include "world/WorldCircles.h"

namespace morvik {

namespace {

// A region's heights as the circles change them: runs of rows in its own
// height field, and whole columns, which most circles that reach a region
// of a large world cover, as differences across the columns, a circle's in
// two of them. The circles wait by band, a batch at a time, and each band
// takes its own at once: its strip of the field stays in the cache.
struct RegionField {
    explicit RegionField(const WorldRegion& region)
        : region(region),
          rows{region.top, region.top + region.size.Height() - 1},
          field(region.size, 1),
          columns(static_cast<std::size_t>(region.size.Width()) + 1, 0),
          bands(static_cast<std::size_t>(BandsOf(region.size.Width()))) {
        field.DeferAddToAll(region.size, 0);
    }

    void Wait(const Circle& part, ColumnSpan span) {
        const ColumnSpan within{std::max(span.first, region.left),
                                std::min(span.last, region.left + region.size.Width() - 1)};
        ForEachBandOf(within, region.left, [&](int32_t band, ColumnSpan columns) {
            bands[static_cast<std::size_t>(band)].push_back({part, columns});
        });
    }

    void TakeWaiting(WorldSize size, Wrap wrap);

    CellGrid Heights(int32_t forAll) && {
        field.DeferAddToAll(region.size, forAll);
        CellGrid heights = std::move(field).TakeCells();
        int32_t held = 0;
        for (int32_t x = 0; x < region.size.Width(); ++x) {
            held += columns[static_cast<std::size_t>(x)];
            int32_t* column = heights.Column(x);
            for (int32_t y = 0; y < region.size.Height(); ++y) column[y] += held;
        }
        return heights;
    }

    WorldRegion region;
    RowSpan rows;
    HeightField field;
    std::vector<int32_t> columns;
    std::vector<std::vector<CirclePart>> bands;  // the circles waiting for each
};

// The changes a circle records in the world, taken where they fall within
// a band of the region.
class RegionChanges {
  public:
    RegionChanges(RegionField& region, int32_t band)
        : changes_(region.field.Strip(band)),
          columns_(region.columns.data()),
          left_(region.region.left),
          top_(region.rows.first),
          bottom_(region.rows.last) {}

    void AddToRows(int32_t x, int32_t firstRow, int32_t lastRow, int32_t delta) {
        const int32_t first = std::max(firstRow, top_);
        const int32_t last = std::min(lastRow, bottom_);
        if (first <= last) changes_.AddToRows(x - left_, first - top_, last - top_, delta);
    }

    void AddToColumns(int32_t firstX, int32_t lastX, int32_t delta) {
        columns_[firstX - left_] += delta;
        columns_[lastX - left_ + 1] -= delta;
    }

  private:
    HeightField::StripChanges changes_;
    int32_t* columns_;
    int32_t left_;
    int32_t top_;
    int32_t bottom_;
};

void RegionField::TakeWaiting(WorldSize size, Wrap wrap) {
    for (std::size_t band = 0; band < bands.size(); ++band) {
        for (const CirclePart& part : bands[band]) {
            RecordCircleRuns(RegionChanges(*this, static_cast<int32_t>(band)), size, part.circle,
                             part.span, wrap, rows);
        }
        bands[band].clear();
    }
}

}  // namespace

std::vector<CellGrid> RegionHeights(const RunSettings& settings,
                                    std::span<const WorldRegion> regions) {
    constexpr int32_t kBatch = 4096;
    const WorldSize size = settings.World();
    std::vector<RegionField> fields;
    fields.reserve(regions.size());
    for (const WorldRegion& region : regions) fields.emplace_back(region);
    // What every circle does to every cell alike; within 32 bits, as every
    // height is.
    int32_t forAll = 0;
    int32_t waiting = 0;
    ForEachCircle(settings, [&](const Circle& circle) {
        forAll -= circle.sign;
        for (const auto& [part, span] : CircleParts(size, circle, settings.wrap)) {
            if (span.first > span.last) continue;
            for (RegionField& field : fields) field.Wait(part, span);
        }
        if (++waiting == kBatch) {
            for (RegionField& field : fields) field.TakeWaiting(size, settings.wrap);
            waiting = 0;
        }
    });
    std::vector<CellGrid> heights;
    heights.reserve(regions.size());
    for (RegionField& field : fields) {
        field.TakeWaiting(size, settings.wrap);
        heights.push_back(std::move(field).Heights(forAll));
    }
    return heights;
}

}  // namespace morvik
