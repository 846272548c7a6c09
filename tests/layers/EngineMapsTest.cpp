#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "layers/NormalMap.h"
#include "layers/TerrainMasks.h"
#include "layers/WaterCells.h"
#include "tests/layers/LayersTestSupport.h"

namespace morvik {
namespace {

// Land of the given heights (in the heightmap's units), all above a sea
// level of 0.
LandLayers Shaped(MapSize size, const std::function<double(int32_t, int32_t)>& height,
                  Wrap wrap = Wrap::kNone) {
    const auto cells = static_cast<std::size_t>(size.Cells());
    LandLayers layers{.heightmap = {size, ZeroedVector<uint16_t>(cells), 0},
                      .wrap = wrap,
                      .heights = ZeroedVector<float>(cells),
                      .flow = ZeroedVector<float>(cells),
                      .lakes = ZeroedVector<uint8_t>(cells)};
    for (int32_t y = 0; y < size.Height(); ++y) {
        for (int32_t x = 0; x < size.Width(); ++x) {
            const std::size_t cell = layers.Index(x, y);
            layers.heights[cell] = static_cast<float>(height(x, y));
            layers.heightmap.values[cell] = static_cast<uint16_t>(std::lround(height(x, y)));
            layers.flow[cell] = 1;
        }
    }
    return layers;
}

std::vector<uint8_t> Normals(const LandLayers& layers, const TerrainScale& scale, NormalY y,
                             int32_t row) {
    std::vector<uint8_t> rgb(static_cast<std::size_t>(layers.Size().Width()) * 3);
    NormalRow(layers, scale, y, row, 0, rgb);
    return rgb;
}

uint8_t Encoded(double component) {
    return static_cast<uint8_t>(std::lround((component + 1) * 127.5));
}

// A plane rising eastward and southward: every normal is the plane's, with
// the relief and the cell size applied, its green flipped for DirectX.
TEST(NormalMap, OfATiltedPlaneIsThePlanesNormal) {
    const TerrainScale scale{.relief = 1000, .cell = 2};
    const double east = 40;  // values a cell
    const double south = -25;
    const LandLayers plane =
        Shaped(MapSize(16, 12), [&](int32_t x, int32_t y) { return 20000 + east * x + south * y; });
    const double gx = scale.Metres(east) / scale.cell;
    const double gy = scale.Metres(south) / scale.cell;
    const double length = std::sqrt(gx * gx + gy * gy + 1);
    for (const NormalY normalY : {NormalY::kUp, NormalY::kDown}) {
        for (const int32_t row : {0, 5, 11}) {
            const std::vector<uint8_t> rgb = Normals(plane, scale, normalY, row);
            for (std::size_t x = 0; x < rgb.size() / 3; ++x) {
                SCOPED_TRACE(testing::Message() << "cell " << x << ", row " << row);
                EXPECT_NEAR(rgb[3 * x], Encoded(-gx / length), 1);
                const double towardTop = gy / length;
                EXPECT_NEAR(rgb[3 * x + 1],
                            Encoded(normalY == NormalY::kUp ? towardTop : -towardTop), 1);
                EXPECT_NEAR(rgb[3 * x + 2], Encoded(1 / length), 1);
            }
        }
    }
    // The plane rises toward the top, so its normal leans toward the bottom.
    EXPECT_LT(Normals(plane, scale, NormalY::kUp, 5)[1], 128);
    EXPECT_GT(Normals(plane, scale, NormalY::kDown, 5)[1], 128);
}

// A cone's normals lean outward from its top, as steeply as its sides; on
// a flat map they all point straight up.
TEST(NormalMap, OfAConeLeanAwayFromItsTop) {
    const TerrainScale scale{.relief = 512, .cell = 1};
    const double fall = 300;  // values a cell from the top
    const double middle = 32;
    const LandLayers cone = Shaped(MapSize(65, 65), [&](int32_t x, int32_t y) {
        return 60000 - fall * std::hypot(x - middle, y - middle);
    });
    const double steepness = scale.Metres(fall);
    const double length = std::sqrt(steepness * steepness + 1);
    for (int32_t row = 4; row <= 60; row += 7) {
        const std::vector<uint8_t> rgb = Normals(cone, scale, NormalY::kUp, row);
        for (int32_t x = 4; x <= 60; x += 7) {
            const double distance = std::hypot(x - middle, row - middle);
            if (distance < 3) continue;
            SCOPED_TRACE(testing::Message() << "(" << x << ", " << row << ")");
            const double outEast = (x - middle) / distance;
            const double outSouth = (row - middle) / distance;
            EXPECT_NEAR(rgb[3 * x], Encoded(outEast * steepness / length), 2);
            EXPECT_NEAR(rgb[3 * x + 1], Encoded(-outSouth * steepness / length), 2);
            EXPECT_NEAR(rgb[3 * x + 2], Encoded(1 / length), 2);
        }
    }
    const LandLayers flat = Shaped(MapSize(8, 8), [](int32_t, int32_t) { return 100.0; });
    const std::vector<uint8_t> up = Normals(flat, scale, NormalY::kDown, 3);
    EXPECT_EQ(up[9], 128);
    EXPECT_EQ(up[10], 128);
    EXPECT_EQ(up[11], 255);
}

// Across a wrapped edge the ground goes on, so a ridge on the seam has the
// same normals on its two sides as one in the middle.
TEST(NormalMap, CrossesAWrappedEdge) {
    const TerrainScale scale{};
    const auto ridge = [](int32_t x, int32_t at) { return 30000 - 2000.0 * std::abs(x - at); };
    const LandLayers seam = Shaped(
        MapSize(9, 3), [&](int32_t x, int32_t) { return ridge(x > 4 ? x - 9 : x, 0); }, Wrap::kX);
    const LandLayers middle =
        Shaped(MapSize(9, 3), [&](int32_t x, int32_t) { return ridge(x, 4); });
    const std::vector<uint8_t> onSeam = Normals(seam, scale, NormalY::kUp, 1);
    const std::vector<uint8_t> inMiddle = Normals(middle, scale, NormalY::kUp, 1);
    EXPECT_EQ(onSeam[3 * 8], inMiddle[3 * 3]);  // the cell before the top
    EXPECT_EQ(onSeam[3 * 1], inMiddle[3 * 5]);  // the cell after it
    EXPECT_EQ(onSeam[0], 128);                  // the top itself
}

// The four splat weights add up to 255 at every cell of real land, sea
// floor is sand, and each kind lies where the rules put it.
TEST(TerrainMasks, SplatWeightsAddUpAndFollowTheLand) {
    for (const auto erosion : {std::optional<int32_t>{}, std::optional<int32_t>{10}}) {
        const LandLayers layers = RunLayers(240, 180, 7000, erosion);
        const TerrainScale scale{.relief = 2000, .cell = 4};
        const ZeroedVector<uint8_t> water = WaterCells(layers, layers.Size());
        const TerrainMasks masks(layers, scale, water);
        const double top = *std::max_element(layers.heights.begin(), layers.heights.end());
        const double sea = layers.heightmap.seaLevel;
        std::array<int64_t, 4> seen{};
        for (int32_t y = 0; y < layers.Size().Height(); ++y) {
            for (int32_t x = 0; x < layers.Size().Width(); ++x) {
                const SplatWeights weights = masks.WeightsAt(x, y);
                ASSERT_EQ(weights[0] + weights[1] + weights[2] + weights[3], 255);
                const std::size_t cell = layers.Index(x, y);
                const double height = (layers.heights[cell] - sea) / (top - sea);
                const double slope = SlopeDegrees(GradientAt(layers, scale, x, y));
                if (layers.IsSea(cell)) {
                    ASSERT_EQ(weights[0], 255);
                }
                if (weights[3] > 0) {
                    ASSERT_GT(height, 0.6);
                }
                if (slope > 45 && !layers.IsSea(cell)) {
                    ASSERT_EQ(weights[2], 255);
                }
                if (slope < 25 && !layers.Eroded() && !layers.IsSea(cell)) {
                    ASSERT_EQ(weights[2], 0);
                }
                for (std::size_t kind = 0; kind < 4; ++kind) seen[kind] += weights[kind] > 0;
            }
        }
        for (std::size_t kind = 0; kind < 4; ++kind) EXPECT_GT(seen[kind], 0) << "kind " << kind;
        // The masks' rows are the weights, and the water mask is the water.
        std::vector<uint8_t> row(static_cast<std::size_t>(layers.Size().Width()));
        masks.Row(Mask::kRock, 7, 0, row);
        for (int32_t x = 0; x < layers.Size().Width(); ++x) {
            ASSERT_EQ(row[x], masks.WeightsAt(x, 7)[2]);
        }
    }
}

// Deposits and wear show only where the erosion left them, on land.
TEST(TerrainMasks, DepositAndWearComeFromTheErosion) {
    const LandLayers plain = RunLayers(200, 150, 3000, std::nullopt);
    const LandLayers eroded = RunLayers(200, 150, 3000, 10);
    std::vector<uint8_t> row(200);
    for (const Mask mask : {Mask::kDeposit, Mask::kWear}) {
        const TerrainMasks none(plain, {}, {});
        const TerrainMasks some(eroded, {}, {});
        int64_t plainSum = 0, erodedSum = 0;
        for (int32_t y = 0; y < 150; ++y) {
            none.Row(mask, y, 0, row);
            for (const uint8_t value : row) plainSum += value;
            some.Row(mask, y, 0, row);
            for (int32_t x = 0; x < 200; ++x) {
                if (eroded.IsSea(eroded.Index(x, y))) {
                    ASSERT_EQ(row[x], 0);
                }
                erodedSum += row[x];
            }
        }
        EXPECT_EQ(plainSum, 0) << MaskName(mask);
        EXPECT_GT(erodedSum, 200 * 150) << MaskName(mask);
    }
}

}  // namespace
}  // namespace morvik
