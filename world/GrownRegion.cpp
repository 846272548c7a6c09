#include "world/GrownRegion.h"

#include <algorithm>
#include <optional>

namespace morvik {

namespace {

// The cells a side of the region runs along, one beyond it (-1), the
// region's own (0) or one past it (1): first and count, in the world, where
// there are any.
struct Span {
    int32_t first;
    int32_t count;
};
std::optional<Span> SpanBeside(int32_t start, int32_t count, int32_t side, bool wraps,
                               int32_t way) {
    if (way == 0) return Span{start, count};
    const int32_t at = way < 0 ? start - 1 : start + count;
    if (at >= 0 && at < side) return Span{at, 1};
    if (!wraps) return std::nullopt;
    return Span{(at + side) % side, 1};
}

}  // namespace

GrownRegion::GrownRegion(WorldSize world, const WorldRegion& region, Wrap wrap)
    : size_(region.size) {
    const auto columns = [&](int32_t way) {
        return SpanBeside(region.left, region.size.Width(), world.Width(), WrapsColumns(wrap), way);
    };
    const auto rows = [&](int32_t way) {
        return SpanBeside(region.top, region.size.Height(), world.Height(), WrapsRows(wrap), way);
    };
    left_ = columns(-1) ? 1 : 0;
    above_ = rows(-1) ? 1 : 0;
    size_ = MapSize(region.size.Width() + left_ + (columns(1) ? 1 : 0),
                    region.size.Height() + above_ + (rows(1) ? 1 : 0));
    parts_.push_back(region);
    at_.emplace_back(left_, above_);
    for (int32_t across = -1; across <= 1; ++across) {
        for (int32_t down = -1; down <= 1; ++down) {
            const std::optional<Span> x = columns(across);
            const std::optional<Span> y = rows(down);
            if ((across == 0 && down == 0) || !x || !y) continue;
            parts_.push_back({x->first, y->first, MapSize(x->count, y->count)});
            at_.emplace_back(across < 0    ? 0
                             : across == 0 ? left_
                                           : left_ + region.size.Width(),
                             down < 0    ? 0
                             : down == 0 ? above_
                                         : above_ + region.size.Height());
        }
    }
}

GrownRegion::GrownRegion(const WorldRegion& region)
    : size_(region.size), parts_{region}, at_{{0, 0}} {}

CellGrid GrownRegion::Heights(std::span<const CellGrid> parts) const {
    CellGrid grown(size_);
    for (std::size_t i = 0; i < parts_.size(); ++i) {
        const auto [left, top] = at_[i];
        for (int32_t x = 0; x < parts_[i].size.Width(); ++x) {
            std::copy_n(parts[i].Column(x), parts_[i].size.Height(), grown.Column(left + x) + top);
        }
    }
    return grown;
}

}  // namespace morvik
