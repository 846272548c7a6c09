#include "landscape/BoxMean.h"

#include <algorithm>
#include <vector>

#include "terrain/ParallelFor.h"

namespace morvik {

namespace {

// A place of the world along a side, within 0..side.
int64_t Wrapped(int64_t place, int32_t side) { return ((place % side) + side) % side; }

// Where the value of the world's place `at` (past an end, a place it wraps
// to, or the mirror image through the edge cell: 2 edge - mirror) lies in
// the grid.
struct Place {
    int64_t at;
    int64_t mirror;  // -1 unless mirrored
};
Place PlaceOf(int64_t at, const SidePlaces& places, int64_t length) {
    if (at >= 0 && at < places.side) {
        const int64_t in = at - places.first;
        // A grid that wraps round the whole side holds every place.
        return {in >= 0 && in < length ? in : Wrapped(in, places.side), -1};
    }
    if (places.wraps) return PlaceOf(Wrapped(at, places.side), places, length);
    const int64_t edge = at < 0 ? 0 : places.side - 1;
    const int64_t mirror = std::clamp<int64_t>(2 * edge - at, 0, places.side - 1);
    return {edge - places.first, mirror - places.first};
}

// Calls body(place, sum) for the grid's places first..end, place by place
// from the start of the running sums: at the world's places every
// kBoxRestart, each sum taken afresh from its box by restart(place); on
// from there by roll(place, sum).
template <typename Restart, typename Roll, typename Body>
void RunningSums(const SidePlaces& places, int32_t first, int32_t end, Restart restart, Roll roll,
                 Body body) {
    const int64_t worldFirst = places.first + first;
    const int64_t start = worldFirst - Wrapped(worldFirst, places.side) % kBoxRestart;
    for (int64_t at = start; at < places.first + end; ++at) {
        if (Wrapped(at, places.side) % kBoxRestart == 0) restart(at);
        if (at >= worldFirst) body(static_cast<int32_t>(at - places.first));
        roll(at);
    }
}

}  // namespace

void MeanDown(const ZeroedVector<float>& from, ZeroedVector<float>& to, MapSize size, int32_t reach,
              SidePlaces rows, int32_t first, int32_t end, int32_t threads) {
    const int32_t height = size.Height();
    const double count = 2 * reach + 1;
    ForEachBand(size.Width(), threads, [&](int32_t, int32_t firstColumn, int32_t endColumn) {
        for (int32_t x = firstColumn; x < endColumn; ++x) {
            const float* in = &from[static_cast<std::size_t>(x) * height];
            float* out = &to[static_cast<std::size_t>(x) * height];
            const auto at = [&](int64_t place) {
                const Place found = PlaceOf(place, rows, height);
                return found.mirror < 0 ? static_cast<double>(in[found.at])
                                        : 2.0 * in[found.at] - in[found.mirror];
            };
            double sum = 0;
            RunningSums(
                rows, first, end,
                [&](int64_t place) {
                    sum = 0;
                    for (int64_t box = place - reach; box <= place + reach; ++box) sum += at(box);
                },
                [&](int64_t place) { sum += at(place + reach + 1) - at(place - reach); },
                [&](int32_t y) { out[y] = static_cast<float>(sum / count); });
        }
    });
}

// A band of rows at a time, column after column, so that each step reads
// and writes neighbouring cells.
void MeanAcross(const ZeroedVector<float>& from, ZeroedVector<float>& to, MapSize size,
                int32_t reach, SidePlaces columns, int32_t first, int32_t end, int32_t threads) {
    const int32_t rows = size.Height();
    const double count = 2 * reach + 1;
    ParallelFor(BandsOf(rows), threads, [&](int32_t band) {
        const int32_t top = band * kBandWidth;
        const int32_t bottom = std::min(top + kBandWidth, rows);
        std::vector<double> sums(static_cast<std::size_t>(bottom - top), 0);
        const auto add = [&](int64_t place, double sign) {
            const Place found = PlaceOf(place, columns, size.Width());
            const float* in = &from[static_cast<std::size_t>(found.at) * rows];
            const float* mirror =
                found.mirror < 0 ? nullptr : &from[static_cast<std::size_t>(found.mirror) * rows];
            for (int32_t y = top; y < bottom; ++y) {
                sums[y - top] += sign * (mirror == nullptr ? in[y] : 2.0 * in[y] - mirror[y]);
            }
        };
        RunningSums(
            columns, first, end,
            [&](int64_t place) {
                std::fill(sums.begin(), sums.end(), 0);
                for (int64_t box = place - reach; box <= place + reach; ++box) add(box, 1);
            },
            [&](int64_t place) {
                add(place + reach + 1, 1);
                add(place - reach, -1);
            },
            [&](int32_t x) {
                float* out = &to[static_cast<std::size_t>(x) * rows];
                for (int32_t y = top; y < bottom; ++y) {
                    out[y] = static_cast<float>(sums[y - top] / count);
                }
            });
    });
}

void MeanDown(const ZeroedVector<float>& from, ZeroedVector<float>& to, MapSize size, int32_t reach,
              bool wraps, int32_t threads) {
    MeanDown(from, to, size, reach, {0, size.Height(), wraps}, 0, size.Height(), threads);
}

void MeanAcross(const ZeroedVector<float>& from, ZeroedVector<float>& to, MapSize size,
                int32_t reach, bool wraps, int32_t threads) {
    MeanAcross(from, to, size, reach, {0, size.Width(), wraps}, 0, size.Width(), threads);
}

}  // namespace morvik
