#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "terrain/MapSize.h"
#include "terrain/WorldSize.h"
#include "terrain/Wrap.h"
#include "world/RankLinks.h"
#include "world/WorldTile.h"

namespace morvik {

// A world cut into parts that each own their cells alone: where each column
// of parts and each row of them begins, then the world's side.
struct PartGrid {
    std::vector<int32_t> columns;
    std::vector<int32_t> rows;

    int32_t Across() const { return static_cast<int32_t>(columns.size()) - 1; }
    int32_t Down() const { return static_cast<int32_t>(rows.size()) - 1; }
    // Parts are counted row by row.
    WorldRegion Part(int32_t index) const;
};

// A part grown by a ring of cells each way into a window, as far as the
// world has cells: across a wrapped edge they are the other side's, and
// beyond an edge that does not wrap the window ends as the world does.
// Cells lie column by column.
struct PartWindow {
    int32_t part;  // its index in the grid
    WorldRegion region;
    int32_t left;   // the part's first column within the window
    int32_t above;  // and its first row
    MapSize size;

    std::size_t Index(int32_t x, int32_t y) const {
        return static_cast<std::size_t>(x) * size.Height() + y;
    }
    bool Owns(int32_t x, int32_t y) const {
        return x >= left && x < left + region.size.Width() && y >= above &&
               y < above + region.size.Height();
    }
    bool Owns(int32_t cell) const { return Owns(cell / size.Height(), cell % size.Height()); }

    // Calls visit(neighbour) for each of a cell's eight within the window,
    // across then down: (-1, -1), (-1, 0), (-1, 1), (0, -1) ...
    template <typename Visit>
    void ForEachNeighbour(int32_t cell, Visit visit) const {
        const int32_t rows = size.Height();
        const int32_t x = cell / rows;
        const int32_t y = cell % rows;
        for (int32_t dx = -1; dx <= 1; ++dx) {
            for (int32_t dy = -1; dy <= 1; ++dy) {
                const int32_t nx = x + dx;
                const int32_t ny = y + dy;
                if ((dx != 0 || dy != 0) && nx >= 0 && nx < size.Width() && ny >= 0 && ny < rows) {
                    visit(nx * rows + ny);
                }
            }
        }
    }

    // The cells the part does not own.
    std::vector<int32_t> Ring() const;
    // Calls visit(cell) for each cell the part owns.
    template <typename Visit>
    void ForEachOwned(Visit visit) const {
        for (int32_t x = left; x < left + region.size.Width(); ++x) {
            for (int32_t y = above; y < above + region.size.Height(); ++y) {
                visit(static_cast<int32_t>(Index(x, y)));
            }
        }
    }
};

// The windows of one rank's parts, and the exchange that brings each
// window's ring from the ranks whose parts own those cells.
class PartWindows {
  public:
    // `owners`: the rank that holds each part; this rank's windows are its
    // own parts'.
    PartWindows(WorldSize world, Wrap wrap, int32_t ring, PartGrid grid,
                const std::vector<int32_t>& owners, const RankLinks& links);

    const std::vector<PartWindow>& Windows() const { return windows_; }
    WorldSize World() const { return world_; }
    Wrap WorldWrap() const { return wrap_; }

    // The rank that holds the part a cell of the world is in.
    int32_t OwnerRank(int64_t x, int64_t y) const;

    // Whether a window's cell lies on an edge of the world that does not
    // wrap.
    bool OnWorldEdge(const PartWindow& window, int32_t x, int32_t y) const;

    // Every window's ring set to the values its owners hold: cells[i] are
    // window i's, column by column.
    template <typename Cells>
    void Exchange(std::vector<Cells>& cells, const RankLinks& links) const;

  private:
    struct Cell {
        std::size_t window;
        std::size_t at;
    };

    WorldSize world_;
    Wrap wrap_;
    PartGrid grid_;
    std::vector<int32_t> owners_;
    std::vector<PartWindow> windows_;
    // By rank, in an order both ends know: the rank's windows' cells this one
    // sends, and this one's ring cells it receives.
    std::vector<std::vector<Cell>> sends_;
    std::vector<std::vector<Cell>> receives_;
};

template <typename Cells>
void PartWindows::Exchange(std::vector<Cells>& cells, const RankLinks& links) const {
    using Value = std::decay_t<decltype(cells[0][0])>;
    std::vector<std::vector<std::byte>> out(sends_.size());
    for (std::size_t rank = 0; rank < sends_.size(); ++rank) {
        out[rank].resize(sends_[rank].size() * sizeof(Value));
        std::byte* to = out[rank].data();
        for (const Cell& cell : sends_[rank]) {
            std::memcpy(to, &cells[cell.window][cell.at], sizeof(Value));
            to += sizeof(Value);
        }
    }
    const std::vector<std::vector<std::byte>> in = links.Swap(std::move(out));
    for (std::size_t rank = 0; rank < receives_.size(); ++rank) {
        if (in[rank].size() != receives_[rank].size() * sizeof(Value)) {
            throw std::runtime_error("a rank sent a ring of another size than its windows have");
        }
        const std::byte* from = in[rank].data();
        for (const Cell& cell : receives_[rank]) {
            std::memcpy(&cells[cell.window][cell.at], from, sizeof(Value));
            from += sizeof(Value);
        }
    }
}

}  // namespace morvik
