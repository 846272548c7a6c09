#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "terrain/CellGrid.h"
#include "terrain/MapSize.h"
#include "terrain/ParallelFor.h"
#include "terrain/ZeroedVector.h"

namespace morvik {

template <typename Place>
class RunRecorder;

// The map's heights. A circle iteration changes whole runs of rows in a few
// columns, so it records its changes as differences down each column instead
// of touching every cell. They are folded into the cells, one prefix sum per
// column, the moment anyone asks for the cells: what a reader sees is always
// exactly what applying every change cell by cell would give. (A difference
// too large to keep is folded early; the sum is the same.)
class HeightField {
  public:
    // The changes of each band of columns (ForEachBand's) lie together, in a
    // strip: one of the largest map's takes 1 MB, which a cache holds.
    // Changes to different strips may be recorded at the same time.
    //
    // Folds the changes on up to `threads` threads, a strip each at a time.
    HeightField(MapSize capacity, int32_t threads)
        : threads_(threads),
          cells_(capacity),
          stripBytes_(static_cast<std::size_t>(kBandWidth) * capacity.Height()),
          pending_(stripBytes_ * static_cast<std::size_t>(BandsOf(capacity.Width()))),
          columnStart_(static_cast<std::size_t>(capacity.Width())) {}

    CellGrid& Cells() {
        Settle();
        return cells_;
    }

    // The cells, for an owner done with the field, without a copy.
    CellGrid TakeCells() && {
        Settle();
        return std::move(cells_);
    }

    // Adds delta to every cell of a map of this size, and lets the strips
    // record changes within it. Throws ERangeError for a map the cells do not
    // hold.
    void DeferAddToAll(MapSize size, int32_t delta);

    // The recorders of one strip's changes (ForEachBand's band `band`), and
    // of changes in any column; either records within the size last given
    // to DeferAddToAll.
    class StripChanges;
    StripChanges Strip(int32_t band);
    class FieldChanges;
    FieldChanges AllStrips();

  private:
    template <typename Place>
    friend class RunRecorder;

    // Adds delta to rows y.. of column x of the cells.
    void AddBelow(int32_t x, int32_t y, int32_t delta);

    void Settle();

    int32_t threads_;
    CellGrid cells_;
    std::size_t stripBytes_;
    // The differences strip by strip (FieldPlace), and row by row within a
    // strip, so that the changes of neighbouring columns, which lie on
    // nearby rows, share cache lines. Row 0 is unused (see columnStart_).
    ZeroedVector<int8_t> pending_;
    // The first row's differences. Every run cut off by the top edge starts
    // there, so they grow too large for a byte.
    std::vector<int32_t> columnStart_;
    int32_t pendingForAll_ = 0;
    std::optional<MapSize> pendingSize_;
    int32_t pendingRows_ = 0;  // pendingSize_'s height, at hand
};

// Records runs of changes: a difference where each run starts and one
// where it ends. A recorder is handed around by value and holds its
// pointers itself: the bytes it writes could alias any field of the height
// field, whose pointers would then be read again after every byte.
// `Place` finds a difference's byte.
template <typename Place>
class RunRecorder {
  public:
    // Adds delta to rows firstRow..lastRow of column x.
    void AddToRows(int32_t x, int32_t firstRow, int32_t lastRow, int32_t delta) {
        if (firstRow == 0) {
            columnStart_[x] += delta;
        } else {
            AddDifference(x, firstRow, delta);
        }
        // A run down to the last row has no end to record.
        if (lastRow + 1 < rows_) AddDifference(x, lastRow + 1, -delta);
    }

    // Adds delta to every row of columns firstX..lastX.
    void AddToColumns(int32_t firstX, int32_t lastX, int32_t delta) {
        for (int32_t x = firstX; x <= lastX; ++x) columnStart_[x] += delta;
    }

  protected:
    RunRecorder(HeightField& field, int32_t* columnStart, int32_t rows, Place place)
        : field_(&field), columnStart_(columnStart), rows_(rows), place_(place) {}

  private:
    // Differences below the first row are mostly small, so each is kept in a
    // byte; one that would outgrow its byte is added to its column's cells at
    // once.
    void AddDifference(int32_t x, int32_t y, int32_t delta);

    HeightField* field_;
    int32_t* columnStart_;
    int32_t rows_;
    Place place_;
};

// Within one strip, whose bytes lie row by row.
struct StripPlace {
    int8_t* differences;
    int32_t first;  // the strip's first column
    int8_t& operator()(int32_t x, int32_t y) const {
        return differences[static_cast<std::size_t>(y) * kBandWidth + (x - first)];
    }
};

// Anywhere: the strip first, then the place within it.
struct FieldPlace {
    int8_t* differences;
    std::size_t stripBytes;
    int8_t& operator()(int32_t x, int32_t y) const {
        const auto column = static_cast<uint32_t>(x);
        return differences[stripBytes * (column / kBandWidth) +
                           static_cast<std::size_t>(y) * kBandWidth + column % kBandWidth];
    }
};

class HeightField::StripChanges : public RunRecorder<StripPlace> {
    friend class HeightField;
    using RunRecorder::RunRecorder;
};

class HeightField::FieldChanges : public RunRecorder<FieldPlace> {
    friend class HeightField;
    using RunRecorder::RunRecorder;
};

inline HeightField::StripChanges HeightField::Strip(int32_t band) {
    return StripChanges(
        *this, columnStart_.data(), pendingRows_,
        StripPlace{&pending_[stripBytes_ * static_cast<std::size_t>(band)], band * kBandWidth});
}

inline HeightField::FieldChanges HeightField::AllStrips() {
    return FieldChanges(*this, columnStart_.data(), pendingRows_,
                        FieldPlace{pending_.data(), stripBytes_});
}

template <typename Place>
void RunRecorder<Place>::AddDifference(int32_t x, int32_t y, int32_t delta) {
    int8_t& difference = place_(x, y);
    const int32_t sum = difference + delta;
    if (sum != static_cast<int8_t>(sum)) [[unlikely]] {
        field_->AddBelow(x, y, sum);
        difference = 0;
    } else {
        difference = static_cast<int8_t>(sum);
    }
}

}  // namespace morvik
