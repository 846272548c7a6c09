#include "terrain/HeightField.h"

namespace morvik {

void HeightField::DeferAddToAll(MapSize size, int32_t delta) {
    // Differences recorded for another size would end at the wrong rows.
    if (pendingSize_ && *pendingSize_ != size) Settle();
    pendingSize_ = size;
    pendingForAll_ += delta;
}

void HeightField::Settle() {
    if (!pendingSize_) return;
    const int32_t width = pendingSize_->Width();
    const int32_t height = pendingSize_->Height();

    std::array<int32_t, Columns> running;
    running.fill(pendingForAll_);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            int32_t& difference = Pending(x, y);
            running[x] += difference;
            difference = 0;
            cells_.At(x, y) += running[x];
        }
    }
    pendingForAll_ = 0;
    pendingSize_.reset();
}

}  // namespace morvik
