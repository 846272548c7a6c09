#include "world/PassOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <utility>
#include <vector>

#include "components/ReducedImage/BmpImage.h"
#include "components/ReducedImage/ColourReduction.h"
#include "tests/ReducedImage/BmpBuilder.h"

namespace morvik {
namespace {

// A pass over a picture's parts, gathered by the first positions of its
// lattice cells, counts and numbers them as one pass over the whole
// picture does: few colours, and so many that counting stops part way.
TEST(OrderOfFirstPositions, CountsAndNumbersAsAPassOverTheWholePicture) {
    std::mt19937 random(11);
    for (const uint32_t colours : {5U, 200U, 5000U}) {
        const int32_t width = 37;
        const int32_t height = 23;
        std::vector<uint32_t> palette(colours);
        for (uint32_t& colour : palette) colour = random() & 0xFFFFFF;
        const std::vector<uint8_t> picture =
            MakeBmp24(width, height, [&](int32_t, int32_t) { return palette[random() % colours]; });
        for (const auto& [levels, dither] :
             {std::pair{32, false}, std::pair{32, true}, std::pair{9, true}, std::pair{2, true}}) {
            ColourReducer reducer(picture, 8);
            const int32_t count = reducer.CountingPass(levels, dither);

            std::vector<int64_t> first(static_cast<std::size_t>(levels) * levels * levels,
                                       INT64_MAX);
            std::vector<uint32_t> cells(static_cast<std::size_t>(width) * height);
            std::vector<uint32_t> row(width);
            for (int32_t y = 0; y < height; ++y) {
                DecodeRow(picture, y, row.data());
                for (int32_t x = 0; x < width; ++x) {
                    const uint32_t cell =
                        QuantiseColour(row[x], levels, dither ? x % 2 + 2 * (y % 2) : kNoDither);
                    cells[static_cast<std::size_t>(y) * width + x] = cell;
                    first[cell] = std::min(first[cell], int64_t{y} * width + x);
                }
            }
            const PassOrder order = OrderOfFirstPositions(first, width);
            ASSERT_EQ(order.count, count) << colours << " colours, " << levels << " levels";
            if (count > kMostCounted) continue;
            const std::vector<uint8_t> reduced = reducer.Result(count).image;
            const BmpHeader header = ReadBmpHeader(reduced);
            const auto stride = static_cast<std::size_t>(BmpRowStride(8, width));
            for (int32_t y = 0; y < height; ++y) {
                for (int32_t x = 0; x < width; ++x) {
                    ASSERT_EQ(reduced[static_cast<std::size_t>(header.bfOffBits) + y * stride + x],
                              order.indexOf[cells[static_cast<std::size_t>(y) * width + x]]);
                }
            }
        }
    }
}

}  // namespace
}  // namespace morvik
