#pragma once

#include <cstdint>
#include <functional>

namespace morvik {

// Runs body(i) for every i in 0..count-1, on up to `threads` threads (this
// one among them), each taking the next i that no other has taken; fewer
// where the system starts no more. Returns once every body has; rethrows
// the first error a body threw, the rest of the i then left undone.
void ParallelFor(int32_t count, int32_t threads, const std::function<void(int32_t)>& body);

// Columns a band at a time, the bands spread over the threads as above.
inline constexpr int32_t kBandWidth = 128;
inline int32_t BandsOf(int32_t width) { return (width + kBandWidth - 1) / kBandWidth; }
void ForEachBand(int32_t width, int32_t threads,
                 const std::function<void(int32_t band, int32_t first, int32_t end)>& body);

// body(cell) for every cell of a map of this width and height whose cells
// lie column by column, the columns a band at a time as above.
template <typename Body>
void ForEachCell(int32_t width, int32_t height, int32_t threads, Body body) {
    ForEachBand(width, threads, [&](int32_t, int32_t first, int32_t end) {
        for (int32_t cell = first * height; cell < end * height; ++cell) body(cell);
    });
}

}  // namespace morvik
