#include "bench/LandformMeasures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace morvik {

namespace {

constexpr std::array<std::array<int32_t, 2>, 8> kSteps{
    {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}}};

// The map's cells row by row, with their neighbours and their sea.
class Grid {
  public:
    explicit Grid(const Heightmap& map)
        : width_(map.size.Width()), height_(map.size.Height()), map_(map) {}

    int32_t Cells() const { return width_ * height_; }
    int32_t Value(int32_t cell) const { return map_.values[cell]; }
    bool Land(int32_t cell) const { return map_.values[cell] > map_.seaLevel; }
    int32_t FromEdge(int32_t cell) const {
        const int32_t x = cell % width_;
        const int32_t y = cell / width_;
        return std::min({x, y, width_ - 1 - x, height_ - 1 - y});
    }
    // The neighbour `step` away, or -1 beyond the map.
    int32_t Neighbour(int32_t cell, int32_t step) const {
        const int32_t x = cell % width_ + kSteps[step][0];
        const int32_t y = cell / width_ + kSteps[step][1];
        return x < 0 || y < 0 || x >= width_ || y >= height_ ? -1 : y * width_ + x;
    }
    static double Distance(int32_t step) {
        return kSteps[step][0] != 0 && kSteps[step][1] != 0 ? std::sqrt(2.0) : 1.0;
    }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }

  private:
    int32_t width_;
    int32_t height_;
    const Heightmap& map_;
};

// The sizes of the 8-connected groups of cells that `in` picks.
template <typename In>
std::vector<int32_t> GroupSizes(const Grid& grid, In in) {
    std::vector<uint8_t> seen(static_cast<std::size_t>(grid.Cells()), 0);
    std::vector<int32_t> sizes;
    std::vector<int32_t> waiting;
    for (int32_t start = 0; start < grid.Cells(); ++start) {
        if (seen[start] != 0 || !in(start)) continue;
        seen[start] = 1;
        waiting.push_back(start);
        int32_t size = 0;
        while (!waiting.empty()) {
            const int32_t cell = waiting.back();
            waiting.pop_back();
            ++size;
            for (int32_t step = 0; step < 8; ++step) {
                const int32_t next = grid.Neighbour(cell, step);
                if (next >= 0 && seen[next] == 0 && in(next)) {
                    seen[next] = 1;
                    waiting.push_back(next);
                }
            }
        }
        sizes.push_back(size);
    }
    return sizes;
}

// The least-squares slope of y against x.
double Slope(const std::vector<double>& x, const std::vector<double>& y) {
    if (x.size() < 2) return NAN;
    double mx = 0;
    double my = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        mx += x[i];
        my += y[i];
    }
    mx /= static_cast<double>(x.size());
    my /= static_cast<double>(x.size());
    double sxy = 0;
    double sxx = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sxy += (x[i] - mx) * (y[i] - my);
        sxx += (x[i] - mx) * (x[i] - mx);
    }
    return sxy / sxx;
}

double Percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0;
    const auto at = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at),
                     values.end());
    return values[at];
}

// The steepest way down of each cell (-1: none), its drop a cell of
// distance, its drained area and the length of its main stream.
struct Drainage {
    std::vector<int32_t> receiver;
    std::vector<double> slope;
    std::vector<double> area;
    std::vector<double> length;
};

Drainage Drain(const Grid& grid) {
    const auto cells = static_cast<std::size_t>(grid.Cells());
    Drainage drainage{std::vector<int32_t>(cells, -1), std::vector<double>(cells, 0),
                      std::vector<double>(cells, 1), std::vector<double>(cells, 0)};
    std::vector<double> distance(cells, 0);
    for (int32_t cell = 0; cell < grid.Cells(); ++cell) {
        for (int32_t step = 0; step < 8; ++step) {
            const int32_t next = grid.Neighbour(cell, step);
            if (next < 0) continue;
            const double slope = (grid.Value(cell) - grid.Value(next)) / Grid::Distance(step);
            if (slope > drainage.slope[cell]) {
                drainage.slope[cell] = slope;
                drainage.receiver[cell] = next;
                distance[cell] = Grid::Distance(step);
            }
        }
    }
    // Highest first: every cell after all that drain into it.
    std::vector<int32_t> order(cells);
    for (int32_t cell = 0; cell < grid.Cells(); ++cell) order[cell] = cell;
    std::stable_sort(order.begin(), order.end(),
                     [&](int32_t a, int32_t b) { return grid.Value(a) > grid.Value(b); });
    std::vector<double> largestDonor(cells, 0);
    for (const int32_t cell : order) {
        const int32_t receiver = drainage.receiver[cell];
        if (receiver < 0) continue;
        drainage.area[receiver] += drainage.area[cell];
        if (drainage.area[cell] > largestDonor[receiver]) {
            largestDonor[receiver] = drainage.area[cell];
            drainage.length[receiver] = drainage.length[cell] + distance[cell];
        }
    }
    return drainage;
}

// Slope against drained area, A from 100 cells to a two-hundredth of the
// map: fitted to the medians of ten bins of log A, and to every cell.
struct Concavities {
    double binned;
    double fitted;
};
Concavities Concavity(const Grid& grid, const Drainage& drainage) {
    const double smallest = std::log10(100.0);
    const double largest = std::log10(grid.Cells() / 200.0);
    constexpr int32_t kBins = 10;
    std::vector<std::vector<double>> bins(kBins);
    std::vector<double> areas;
    std::vector<double> slopes;
    for (int32_t cell = 0; cell < grid.Cells(); ++cell) {
        const double area = std::log10(drainage.area[cell]);
        if (!grid.Land(cell) || drainage.slope[cell] <= 0 || area < smallest || area > largest)
            continue;
        const auto bin = std::min(
            kBins - 1, static_cast<int32_t>((area - smallest) / (largest - smallest) * kBins));
        bins[bin].push_back(std::log10(drainage.slope[cell]));
        areas.push_back(area);
        slopes.push_back(bins[bin].back());
    }
    std::vector<double> x;
    std::vector<double> y;
    for (int32_t bin = 0; bin < kBins; ++bin) {
        if (bins[bin].size() < 20) continue;
        x.push_back(smallest + (bin + 0.5) * (largest - smallest) / kBins);
        y.push_back(Percentile(bins[bin], 0.5));
    }
    return {-Slope(x, y), -Slope(areas, slopes)};
}

double Hack(const Grid& grid, const Drainage& drainage) {
    std::vector<double> x;
    std::vector<double> y;
    for (int32_t cell = 0; cell < grid.Cells(); ++cell) {
        if (!grid.Land(cell) || drainage.area[cell] < 300 || drainage.length[cell] <= 0) continue;
        x.push_back(std::log10(drainage.area[cell]));
        y.push_back(std::log10(drainage.length[cell]));
    }
    return Slope(x, y);
}

// Gentle ground: a gradient (central differences) among the lowest fifth of
// the land's.
double EdgeGentle(const Grid& grid) {
    std::vector<double> gradient(static_cast<std::size_t>(grid.Cells()), -1);
    std::vector<double> land;
    for (int32_t cell = 0; cell < grid.Cells(); ++cell) {
        if (!grid.Land(cell)) continue;
        const auto value = [&](int32_t step) {
            const int32_t next = grid.Neighbour(cell, step);
            return static_cast<double>(grid.Value(next < 0 ? cell : next));
        };
        const double dx = (value(4) - value(3)) / 2;
        const double dy = (value(6) - value(1)) / 2;
        gradient[cell] = std::hypot(dx, dy);
        land.push_back(gradient[cell]);
    }
    const double gentle = Percentile(land, 0.2);
    double nearEdge[2] = {0, 0};
    double inland[2] = {0, 0};
    for (int32_t cell = 0; cell < grid.Cells(); ++cell) {
        if (gradient[cell] < 0) continue;
        double* tally = grid.FromEdge(cell) < 16 ? nearEdge : inland;
        tally[0] += gradient[cell] <= gentle ? 1 : 0;
        tally[1] += 1;
    }
    if (nearEdge[1] == 0 || inland[1] == 0 || inland[0] == 0) return NAN;
    return (nearEdge[0] / nearEdge[1]) / (inland[0] / inland[1]);
}

double CoastDimension(const Grid& grid) {
    std::vector<double> x;
    std::vector<double> y;
    for (int32_t box = 2; box <= 64; box *= 2) {
        const int32_t across = (grid.Width() + box - 1) / box;
        std::vector<uint8_t> filled(
            static_cast<std::size_t>(across) * ((grid.Height() + box - 1) / box), 0);
        for (int32_t cell = 0; cell < grid.Cells(); ++cell) {
            if (!grid.Land(cell)) continue;
            bool coast = false;
            for (const int32_t step : {1, 3, 4, 6}) {
                const int32_t next = grid.Neighbour(cell, step);
                coast |= next >= 0 && !grid.Land(next);
            }
            if (coast) {
                filled[(cell / grid.Width() / box) * across + cell % grid.Width() / box] = 1;
            }
        }
        x.push_back(std::log(1.0 / box));
        y.push_back(std::log(static_cast<double>(std::count(filled.begin(), filled.end(), 1))));
    }
    return Slope(x, y);
}

}  // namespace

LandformMeasures MeasureLandforms(const Heightmap& map) {
    const Grid grid(map);
    LandformMeasures measures{};
    int32_t landCells = 0;
    std::vector<double> inland;
    for (int32_t cell = 0; cell < grid.Cells(); ++cell) {
        if (!grid.Land(cell)) continue;
        ++landCells;
        if (grid.FromEdge(cell) >= 16) inland.push_back(grid.Value(cell) - map.seaLevel);
    }
    measures.seaPercent = 100.0 * (grid.Cells() - landCells) / grid.Cells();
    const double land = std::max(landCells, 1);

    const auto flat = [&](int32_t cell) {
        if (!grid.Land(cell)) return false;
        int32_t lowest = grid.Value(cell);
        for (int32_t step = 0; step < 8; ++step) {
            const int32_t next = grid.Neighbour(cell, step);
            if (next >= 0) lowest = std::min(lowest, grid.Value(next));
        }
        return grid.Value(cell) - lowest <= 2;
    };
    for (const int32_t size : GroupSizes(grid, flat)) {
        if (size < 50) continue;
        measures.flatPercent += 100.0 * size / land;
        measures.largestFlatPercent = std::max(measures.largestFlatPercent, 100.0 * size / land);
    }
    const Drainage drainage = Drain(grid);
    const Concavities concavities = Concavity(grid, drainage);
    measures.concavity = concavities.binned;
    measures.concavityFit = concavities.fitted;
    measures.hack = Hack(grid, drainage);
    measures.edgeGentle = EdgeGentle(grid);
    const std::vector<int32_t> islands =
        GroupSizes(grid, [&](int32_t cell) { return grid.Land(cell); });
    measures.islets = static_cast<double>(
        std::count_if(islands.begin(), islands.end(), [](int32_t size) { return size < 50; }));
    measures.coastDimension = CoastDimension(grid);
    measures.inlandP99 = Percentile(inland, 0.99);
    return measures;
}

}  // namespace morvik
