#include "terrain/HeightField.h"

#include <algorithm>

#include "terrain/ERangeError.h"

namespace morvik {

void HeightField::DeferAddToAll(MapSize size, int32_t delta) {
    if (!cells_.Holds(size)) throw ERangeError("a circle beyond the height field");
    // Differences recorded for another size would end at the wrong rows.
    if (pendingSize_ && *pendingSize_ != size) Settle();
    pendingSize_ = size;
    pendingRows_ = size.Height();
    pendingForAll_ += delta;
}

void HeightField::AddBelow(int32_t x, int32_t y, int32_t delta) {
    int32_t* column = cells_.Column(x);
    for (int32_t row = y; row < pendingSize_->Height(); ++row) column[row] += delta;
}

void HeightField::Settle() {
    if (!pendingSize_) return;
    const int32_t width = pendingSize_->Width();
    const int32_t height = pendingSize_->Height();
    // Column by column, as the cells lie: a column's differences are one
    // byte in each row, and the next columns use the same lines of them.
    // The strips are the bands.
    const FieldPlace pending{pending_.data(), stripBytes_};
    ForEachBand(width, threads_, [&](int32_t, int32_t first, int32_t end) {
        for (int32_t x = first; x < end; ++x) {
            int32_t* column = cells_.Column(x);
            int32_t running = pendingForAll_ + columnStart_[x];
            column[0] += running;
            for (int32_t y = 1; y < height; ++y) {
                int8_t& difference = pending(x, y);
                running += difference;
                difference = 0;
                column[y] += running;
            }
        }
    });
    std::fill(columnStart_.begin(), columnStart_.end(), 0);
    pendingForAll_ = 0;
    pendingSize_.reset();
}

}  // namespace morvik
