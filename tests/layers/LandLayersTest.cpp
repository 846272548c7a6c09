#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "layers/FlowMap.h"
#include "layers/WaterCells.h"
#include "tests/layers/LayersTestSupport.h"

namespace morvik {
namespace {

// The finer heights order the cells as the 16-bit values do, keep the sea
// at or below its level and the land above it.
TEST(LandLayers, FinerHeightsKeepTheHeightmapsOrderAndSea) {
    for (const auto erosion : {std::optional<int32_t>{}, std::optional<int32_t>{10}}) {
        const LandLayers layers = RunLayers(300, 200, 4000, erosion);
        const auto& values = layers.heightmap.values;
        std::vector<std::size_t> cells(values.size());
        std::iota(cells.begin(), cells.end(), 0);
        std::sort(cells.begin(), cells.end(), [&](std::size_t a, std::size_t b) {
            return layers.heights[a] < layers.heights[b];
        });
        bool finer = false;
        for (std::size_t i = 1; i < cells.size(); ++i) {
            ASSERT_LE(values[cells[i - 1]], values[cells[i]])
                << "the finer heights put a higher value first";
        }
        for (std::size_t cell = 0; cell < values.size(); ++cell) {
            const float fine = layers.heights[cell];
            if (values[cell] <= layers.heightmap.seaLevel) {
                ASSERT_LE(fine, layers.heightmap.seaLevel);
            } else {
                ASSERT_GT(fine, layers.heightmap.seaLevel);
            }
            finer |= fine != static_cast<float>(values[cell]);
        }
        // The model's own heights are finer than 16 bits; the circles' are whole.
        EXPECT_EQ(finer, erosion.has_value());
    }
}

// Each cell's water goes on to a lower neighbour, or leaves the land: so
// some neighbour below has more water than the cell has. On eroded land,
// which drains as it lies, that neighbour is the steepest way down of the
// eight (D8, diagonals at their true distance), as anyone measuring the
// float heights finds it.
TEST(LandLayers, NoCellHasMoreWaterThanTheCellItDrainsInto) {
    for (const Wrap wrap : {Wrap::kNone, Wrap::kXY}) {
        for (const auto erosion : {std::optional<int32_t>{}, std::optional<int32_t>{5}}) {
            const LandLayers layers = RunLayers(200, 160, 2500, erosion, wrap);
            const MapSize size = layers.Size();
            const FlowMap flowMap(layers);
            std::vector<uint16_t> logged(static_cast<std::size_t>(size.Cells()));
            for (int32_t y = 0; y < size.Height(); ++y) {
                flowMap.Row(y, 0,
                            std::span(&logged[static_cast<std::size_t>(y) * size.Width()],
                                      static_cast<std::size_t>(size.Width())));
            }
            int64_t drained = 0;
            for (int32_t y = 1; y + 1 < size.Height(); ++y) {
                for (int32_t x = 1; x + 1 < size.Width(); ++x) {
                    const std::size_t cell = layers.Index(x, y);
                    if (layers.IsSea(cell) || layers.lakes[cell] != 0) continue;
                    bool onward = false;
                    bool byTheSea = false;
                    std::size_t steepest = cell;
                    double steepestDrop = 0;
                    for (int32_t dy = -1; dy <= 1; ++dy) {
                        for (int32_t dx = -1; dx <= 1; ++dx) {
                            const std::size_t next = layers.Index(x + dx, y + dy);
                            byTheSea |= layers.IsSea(next);
                            const double drop =
                                (layers.heights[cell] - layers.heights[next]) / std::hypot(dx, dy);
                            if (next != cell && drop > steepestDrop) {
                                steepestDrop = drop;
                                steepest = next;
                            }
                            if (layers.heights[next] < layers.heights[cell] &&
                                layers.flow[next] >= layers.flow[cell] + 1 &&
                                logged[next] >= logged[cell]) {
                                onward = true;
                            }
                        }
                    }
                    ASSERT_TRUE(onward) << "no way on from (" << x << ", " << y << ")";
                    if (erosion && !byTheSea) {
                        ASSERT_NE(steepest, cell) << "a pit at (" << x << ", " << y << ")";
                        ASSERT_GE(layers.flow[steepest], layers.flow[cell] + 1)
                            << "(" << x << ", " << y << ")";
                    }
                    ++drained;
                }
            }
            EXPECT_GT(drained, size.Cells() / 4);
            EXPECT_EQ(*std::max_element(logged.begin(), logged.end()), 65535);
        }
    }
}

// Rivers lie on land only, start somewhere, and the widest water is where
// the most water runs.
TEST(LandLayers, RiversWidenDownstreamOnLand) {
    const LandLayers layers = RunLayers(400, 300, 9000, 10);
    const ZeroedVector<uint8_t> water = WaterCells(layers, layers.Size());
    int64_t wet = 0;
    for (std::size_t cell = 0; cell < water.size(); ++cell) {
        if (water[cell] == 0) continue;
        ASSERT_FALSE(layers.IsSea(cell));
        ++wet;
    }
    EXPECT_GT(wet, 100);
    EXPECT_LT(wet, layers.Size().Cells() / 10);
    // The water around a river cell, 5 x 5, counts more cells where more
    // water runs: rivers a tenth as large are narrower.
    const MapSize size = layers.Size();
    const auto wetAround = [&](int32_t x, int32_t y) {
        int32_t count = 0;
        for (int32_t dy = -2; dy <= 2; ++dy) {
            for (int32_t dx = -2; dx <= 2; ++dx) {
                const int32_t atX = std::clamp(x + dx, 0, size.Width() - 1);
                const int32_t atY = std::clamp(y + dy, 0, size.Height() - 1);
                count += water[layers.Index(atX, atY)];
            }
        }
        return count;
    };
    const float most = *std::max_element(layers.flow.begin(), layers.flow.end());
    double large = 0, small = 0;
    int32_t largeCount = 0, smallCount = 0;
    for (int32_t y = 2; y + 2 < size.Height(); ++y) {
        for (int32_t x = 2; x + 2 < size.Width(); ++x) {
            const std::size_t cell = layers.Index(x, y);
            if (water[cell] == 0 || layers.lakes[cell] != 0) continue;
            const float flow = layers.flow[cell];
            if (flow > most / 4) {
                large += wetAround(x, y);
                ++largeCount;
            } else if (flow < most / 40) {
                small += wetAround(x, y);
                ++smallCount;
            }
        }
    }
    ASSERT_GT(largeCount, 0);
    ASSERT_GT(smallCount, 0);
    EXPECT_GT(large / largeCount, small / smallCount + 2);
}

}  // namespace
}  // namespace morvik
