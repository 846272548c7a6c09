#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "landscape/LandSurface.h"
#include "terrain/ParallelFor.h"
#include "terrain/Wrap.h"

namespace morvik {

// A cell and its eight neighbours as they were before a pass; a neighbour
// beyond an edge that does not wrap is the cell itself.
struct Neighbourhood {
    float here;
    float across[4];
    float diagonal[4];
};

// Sets every cell to rule(neighbourhood, cell) at once, as if from a copy of
// the surface taken before, in place: each band of columns works on its own
// columns, from copies of the columns beside it taken first and of its own
// previous column as it was. A stencil over the eight neighbours, the same
// for any number of threads.
template <typename Rule>
void ApplyStencil(LandSurface& land, Wrap wrap, int32_t threads, Rule rule) {
    const int32_t width = land.size.Width();
    const int32_t rows = land.size.Height();
    const int32_t bands = BandsOf(width);
    const bool wrapsRows = WrapsRows(wrap);
    const auto columnAt = [&](int32_t x) -> const float* {
        if (x >= 0 && x < width) return land.Column(x);
        if (!WrapsColumns(wrap)) return nullptr;
        return land.Column(x < 0 ? x + width : x - width);
    };
    // The column left of each band and the one right of it.
    std::vector<float> beside(static_cast<std::size_t>(bands) * 2 * rows);
    const auto besideOf = [&](int32_t band, int32_t side) {
        return &beside[(static_cast<std::size_t>(band) * 2 + side) * rows];
    };
    for (int32_t band = 0; band < bands; ++band) {
        const int32_t first = band * kBandWidth;
        const int32_t end = std::min(first + kBandWidth, width);
        for (int32_t side = 0; side < 2; ++side) {
            if (const float* column = columnAt(side == 0 ? first - 1 : end)) {
                std::copy(column, column + rows, besideOf(band, side));
            }
        }
    }
    // Any cell, the edges' included.
    const auto general = [&](const float* left, const float* here, const float* right, int32_t y) {
        const auto row = [&](int32_t at) {
            if (at >= 0 && at < rows) return at;
            return wrapsRows ? (at < 0 ? at + rows : at - rows) : -1;
        };
        const int32_t above = row(y - 1);
        const int32_t below = row(y + 1);
        const float height = here[y];
        const auto at = [&](const float* column, int32_t r) {
            return column == nullptr || r < 0 ? height : column[r];
        };
        return Neighbourhood{
            height,
            {at(left, y), at(right, y), at(here, above), at(here, below)},
            {at(left, above), at(left, below), at(right, above), at(right, below)}};
    };
    ForEachBand(width, threads, [&, rows, rule](int32_t band, int32_t first, int32_t end) {
        std::vector<float> previous(rows);
        std::vector<float> current(rows);
        const float* left = columnAt(first - 1) ? besideOf(band, 0) : nullptr;
        for (int32_t x = first; x < end; ++x) {
            float* column = land.Column(x);
            std::copy(column, column + rows, current.begin());
            const float* here = current.data();
            const float* right = x + 1 < end     ? columnAt(x + 1)
                                 : columnAt(end) ? besideOf(band, 1)
                                                 : nullptr;
            const int32_t cells = x * rows;
            if (left != nullptr && right != nullptr) {
                for (int32_t y = 1; y + 1 < rows; ++y) {
                    column[y] =
                        rule(Neighbourhood{here[y],
                                           {left[y], right[y], here[y - 1], here[y + 1]},
                                           {left[y - 1], left[y + 1], right[y - 1], right[y + 1]}},
                             cells + y);
                }
                column[0] = rule(general(left, here, right, 0), cells);
                if (rows > 1)
                    column[rows - 1] = rule(general(left, here, right, rows - 1), cells + rows - 1);
            } else {
                for (int32_t y = 0; y < rows; ++y) {
                    column[y] = rule(general(left, here, right, y), cells + y);
                }
            }
            previous.swap(current);
            left = previous.data();
        }
    });
}

}  // namespace morvik
