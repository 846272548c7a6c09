#include "world/PartWindows.h"

#include <algorithm>
#include <utility>

namespace morvik {

namespace {

// A window's cells along one side of the world: its first, counted on
// past either end where the side wraps, and how many.
struct Extent {
    int64_t first;
    int32_t length;
};

// Where a window meets a part along one side: `length` cells from `window`
// cells into the window and `part` cells into the part.
struct Stripe {
    int32_t window;
    int32_t part;
    int32_t length;
};

// One side of the world and the parts along it.
struct Axis {
    const std::vector<int32_t>& starts;
    int32_t side;
    bool wraps;
    int32_t ring;

    int32_t Parts() const { return static_cast<int32_t>(starts.size()) - 1; }
    int32_t Start(int32_t part) const { return starts[part]; }
    int32_t Length(int32_t part) const { return starts[part + 1] - starts[part]; }

    Extent WindowOf(int32_t part) const {
        if (wraps) return {int64_t{Start(part)} - ring, Length(part) + 2 * ring};
        const int32_t first = std::max(0, Start(part) - ring);
        return {first, std::min(side, Start(part) + Length(part) + ring) - first};
    }

    // The window's cells that are the part's, each time round the side.
    std::vector<Stripe> Stripes(Extent window, int32_t part) const {
        std::vector<Stripe> stripes;
        const int64_t end = window.first + window.length;
        const int64_t laps =
            window.first >= 0 ? window.first / side : -((side - 1 - window.first) / side);
        for (int64_t base = laps * side; base < end; base += side) {
            const int64_t from = std::max(window.first, base + Start(part));
            const int64_t to = std::min(end, base + Start(part) + Length(part));
            if (from < to) {
                stripes.push_back({static_cast<int32_t>(from - window.first),
                                   static_cast<int32_t>(from - base - Start(part)),
                                   static_cast<int32_t>(to - from)});
            }
        }
        return stripes;
    }

    // The parts a window meets.
    std::vector<int32_t> PartsMeeting(Extent window) const {
        std::vector<int32_t> met;
        for (int32_t part = 0; part < Parts(); ++part) {
            if (!Stripes(window, part).empty()) met.push_back(part);
        }
        return met;
    }

    // The parts whose windows meet a part.
    std::vector<int32_t> WindowsMeeting(int32_t part) const {
        std::vector<int32_t> met;
        for (int32_t other = 0; other < Parts(); ++other) {
            if (!Stripes(WindowOf(other), part).empty()) met.push_back(other);
        }
        return met;
    }
};

// Calls visit(window x, window y, part x, part y) for each cell of part
// `part`'s that the window of part `of` holds in its ring.
template <typename Visit>
void ForEachRingCell(const Axis& across, const Axis& down, int32_t of, int32_t part, Visit visit) {
    const int32_t ofColumn = of % across.Parts();
    const int32_t ofRow = of / across.Parts();
    const Extent x = across.WindowOf(ofColumn);
    const Extent y = down.WindowOf(ofRow);
    const int32_t left = static_cast<int32_t>(across.Start(ofColumn) - x.first);
    const int32_t above = static_cast<int32_t>(down.Start(ofRow) - y.first);
    for (const Stripe& columns : across.Stripes(x, part % across.Parts())) {
        for (const Stripe& rows : down.Stripes(y, part / across.Parts())) {
            // A part's own cells are its window's middle, not its ring.
            if (part == of && columns.window == left && rows.window == above) continue;
            for (int32_t dx = 0; dx < columns.length; ++dx) {
                for (int32_t dy = 0; dy < rows.length; ++dy) {
                    visit(columns.window + dx, rows.window + dy, columns.part + dx, rows.part + dy);
                }
            }
        }
    }
}

}  // namespace

WorldRegion PartGrid::Part(int32_t index) const {
    const int32_t column = index % Across();
    const int32_t row = index / Across();
    return {columns[column], rows[row],
            MapSize(columns[column + 1] - columns[column], rows[row + 1] - rows[row])};
}

PartWindows::PartWindows(WorldSize world, Wrap wrap, int32_t ring, PartGrid grid,
                         const std::vector<int32_t>& owners, const RankLinks& links)
    : world_(world),
      wrap_(wrap),
      grid_(grid),
      owners_(owners),
      sends_(static_cast<std::size_t>(links.Ranks())),
      receives_(static_cast<std::size_t>(links.Ranks())) {
    const Axis across{grid.columns, world.Width(), WrapsColumns(wrap), ring};
    const Axis down{grid.rows, world.Height(), WrapsRows(wrap), ring};
    const int32_t parts = across.Parts() * down.Parts();
    for (int32_t part = 0; part < parts; ++part) {
        if (owners[part] != links.Rank()) continue;
        const Extent x = across.WindowOf(part % across.Parts());
        const Extent y = down.WindowOf(part / across.Parts());
        const WorldRegion region = grid.Part(part);
        windows_.push_back({part, region, static_cast<int32_t>(region.left - x.first),
                            static_cast<int32_t>(region.top - y.first),
                            MapSize(x.length, y.length)});
    }
    // Both ends list a rank's cells part by part of the receiver's, and for
    // each by the sender's part.
    std::vector<std::pair<int32_t, std::size_t>> sent;  // the receiving part, this rank's window
    for (std::size_t i = 0; i < windows_.size(); ++i) {
        const PartWindow& window = windows_[i];
        const int32_t column = window.part % across.Parts();
        const int32_t row = window.part / across.Parts();
        for (const int32_t otherRow : down.WindowsMeeting(row)) {
            for (const int32_t otherColumn : across.WindowsMeeting(column)) {
                sent.emplace_back(otherRow * across.Parts() + otherColumn, i);
            }
        }
        for (const int32_t otherRow : down.PartsMeeting(down.WindowOf(row))) {
            for (const int32_t otherColumn : across.PartsMeeting(across.WindowOf(column))) {
                const int32_t from = otherRow * across.Parts() + otherColumn;
                ForEachRingCell(across, down, window.part, from,
                                [&](int32_t x, int32_t y, int32_t, int32_t) {
                                    receives_[owners[from]].push_back({i, window.Index(x, y)});
                                });
            }
        }
    }
    std::sort(sent.begin(), sent.end());
    for (const auto& [to, i] : sent) {
        const PartWindow& window = windows_[i];
        ForEachRingCell(across, down, to, window.part, [&](int32_t, int32_t, int32_t x, int32_t y) {
            sends_[owners[to]].push_back({i, window.Index(window.left + x, window.above + y)});
        });
    }
}

std::vector<int32_t> PartWindow::Ring() const {
    std::vector<int32_t> ring;
    for (int32_t x = 0; x < size.Width(); ++x) {
        for (int32_t y = 0; y < size.Height(); ++y) {
            if (!Owns(x, y)) ring.push_back(static_cast<int32_t>(Index(x, y)));
        }
    }
    return ring;
}

int32_t PartWindows::OwnerRank(int64_t x, int64_t y) const {
    // The last start at or before the place.
    const auto partOf = [](const std::vector<int32_t>& starts, int64_t place) {
        return static_cast<int32_t>(std::upper_bound(starts.begin(), starts.end() - 1, place) -
                                    starts.begin()) -
               1;
    };
    return owners_[partOf(grid_.rows, y) * grid_.Across() + partOf(grid_.columns, x)];
}

bool PartWindows::OnWorldEdge(const PartWindow& window, int32_t x, int32_t y) const {
    const int64_t column = int64_t{window.region.left} + x - window.left;
    const int64_t row = int64_t{window.region.top} + y - window.above;
    return (!WrapsColumns(wrap_) && (column == 0 || column == world_.Width() - 1)) ||
           (!WrapsRows(wrap_) && (row == 0 || row == world_.Height() - 1));
}

}  // namespace morvik
