#include "landscape/BoxMean.h"

#include <algorithm>
#include <vector>

#include "terrain/ParallelFor.h"

namespace morvik {

namespace {

// The running sums start again every kRestart places, each from its own
// box: so a mean depends on the places near it, not on where its line
// begins, and a part of the map gets the same means as the whole.
constexpr int32_t kRestart = 8;

// Where a box's place `at` along a line of `length` takes its value: the
// place itself, the one it wraps to, or the mirror image through the edge
// cell (2 edge - mirror).
struct Place {
    int32_t at;
    int32_t mirror;  // -1 unless mirrored
};
Place PlaceOf(int32_t at, int32_t length, bool wraps) {
    if (at >= 0 && at < length) return {at, -1};
    if (wraps) return {(at % length + length) % length, -1};
    const int32_t edge = at < 0 ? 0 : length - 1;
    return {edge, std::clamp(2 * edge - at, 0, length - 1)};
}

// The box means of one line.
void MeanOfLine(const float* in, float* out, int32_t length, int32_t reach, bool wraps) {
    const auto at = [&](int32_t place) {
        const Place found = PlaceOf(place, length, wraps);
        return found.mirror < 0 ? static_cast<double>(in[found.at])
                                : 2.0 * in[found.at] - in[found.mirror];
    };
    double sum = 0;
    const double count = 2 * reach + 1;
    for (int32_t place = 0; place < length; ++place) {
        if (place % kRestart == 0) {
            sum = 0;
            for (int32_t box = place - reach; box <= place + reach; ++box) sum += at(box);
        }
        out[place] = static_cast<float>(sum / count);
        sum += at(place + reach + 1) - at(place - reach);
    }
}

}  // namespace

void MeanDown(const ZeroedVector<float>& from, ZeroedVector<float>& to, MapSize size, int32_t reach,
              bool wraps, int32_t threads) {
    const int32_t rows = size.Height();
    ForEachBand(size.Width(), threads, [&](int32_t, int32_t first, int32_t end) {
        for (int32_t x = first; x < end; ++x) {
            MeanOfLine(&from[static_cast<std::size_t>(x) * rows],
                       &to[static_cast<std::size_t>(x) * rows], rows, reach, wraps);
        }
    });
}

// A band of rows at a time, column after column, so that each step reads
// and writes neighbouring cells.
void MeanAcross(const ZeroedVector<float>& from, ZeroedVector<float>& to, MapSize size,
                int32_t reach, bool wraps, int32_t threads) {
    const int32_t width = size.Width();
    const int32_t rows = size.Height();
    ParallelFor(BandsOf(rows), threads, [&](int32_t band) {
        const int32_t first = band * kBandWidth;
        const int32_t end = std::min(first + kBandWidth, rows);
        std::vector<double> sums(static_cast<std::size_t>(end - first), 0);
        const auto column = [&](int32_t place) {
            const Place found = PlaceOf(place, width, wraps);
            return std::pair{
                &from[static_cast<std::size_t>(found.at) * rows],
                found.mirror < 0 ? nullptr : &from[static_cast<std::size_t>(found.mirror) * rows]};
        };
        const auto add = [&](int32_t place, double sign) {
            const auto [in, mirror] = column(place);
            for (int32_t y = first; y < end; ++y) {
                sums[y - first] += sign * (mirror == nullptr ? in[y] : 2.0 * in[y] - mirror[y]);
            }
        };
        const double count = 2 * reach + 1;
        for (int32_t x = 0; x < width; ++x) {
            if (x % kRestart == 0) {
                std::fill(sums.begin(), sums.end(), 0);
                for (int32_t place = x - reach; place <= x + reach; ++place) add(place, 1);
            }
            float* out = &to[static_cast<std::size_t>(x) * rows];
            for (int32_t y = first; y < end; ++y)
                out[y] = static_cast<float>(sums[y - first] / count);
            add(x + reach + 1, 1);
            add(x - reach, -1);
        }
    });
}

}  // namespace morvik
