#include "layers/WaterCells.h"

#include <algorithm>
#include <cmath>

namespace morvik {

namespace {

// A river starts where it drains this share of the map's cells, and is
// then a cell wide on a map of kSide cells a side; it widens with the
// square root of its flow, as rivers' widths grow with their discharge,
// up to kWidest times that.
constexpr double kRiverShare = 1.0 / 2000;
constexpr double kLeastRiverArea = 50;
constexpr double kSide = 1024;
constexpr double kWidest = 6;

double RiverUnit(WorldSize whole) {
    return std::max(1.0, static_cast<double>(std::max(whole.Width(), whole.Height())) / kSide);
}

}  // namespace

int32_t RiverReach(WorldSize whole) { return static_cast<int32_t>(RiverUnit(whole) * kWidest / 2); }

ZeroedVector<uint8_t> WaterCells(const LandLayers& layers, WorldSize whole) {
    const MapSize size = layers.Size();
    const int32_t width = size.Width();
    const int32_t height = size.Height();
    const double riverArea =
        std::max(kLeastRiverArea, static_cast<double>(whole.Cells()) * kRiverShare);
    const double unit = RiverUnit(whole);
    ZeroedVector<uint8_t> water(layers.lakes.begin(), layers.lakes.end());
    const bool wrapsX = WrapsColumns(layers.wrap);
    const bool wrapsY = WrapsRows(layers.wrap);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const std::size_t cell = layers.Index(x, y);
            const double flow = layers.flow[cell];
            if (flow < riverArea || layers.IsSea(cell)) continue;
            const double radius = unit * std::min(kWidest, std::sqrt(flow / riverArea)) / 2;
            const auto reach = static_cast<int32_t>(radius);
            for (int32_t dy = -reach; dy <= reach; ++dy) {
                for (int32_t dx = -reach; dx <= reach; ++dx) {
                    if (dx * dx + dy * dy > radius * radius) continue;
                    int32_t atX = x + dx;
                    int32_t atY = y + dy;
                    if (wrapsX) atX = (atX % width + width) % width;
                    if (wrapsY) atY = (atY % height + height) % height;
                    if (atX < 0 || atX >= width || atY < 0 || atY >= height) continue;
                    const std::size_t at = layers.Index(atX, atY);
                    if (!layers.IsSea(at)) water[at] = 1;
                }
            }
        }
    }
    return water;
}

}  // namespace morvik
